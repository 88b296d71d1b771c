#pragma once

#include <QString>

// Takes service texts ("host address:port", "address:port") apart from the right-hand end and
// validates what users type. Stateless: callers create one for an operation and drop it.
class clsConverter {
public:
    QString getPort(const QString& hoststring) const;
    QString GetFirstOctet(const QString& hoststring) const;
    bool ValidPort(const QString& strPort) const;
    bool ValidIP(const QString& strIP) const;
    QString BuildIP(const QString& str1, const QString& str2, const QString& str3, const QString& str4) const;
    QString GetSecondOctet(const QString& hoststring) const;
    QString GetThirdOctet(const QString& hoststring) const;
    QString GetFourthOctet(const QString& hoststring) const;
};
