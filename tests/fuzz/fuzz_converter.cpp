// Drives every service entry function with arbitrary text and checks what must hold whatever the
// input: nothing fails, and a text that passes a test really has the form the test promises.
// The input's first line is the entry; the next four lines are the four texts for BuildIP.
#include "core/Numeric.h"
#include "core/clsConverter.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {
void Require(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList lines = input.split(u'\n');
    while (lines.size() < 5)
        lines.append(QString());
    const QString& text = lines[0];
    const clsConverter converter;

    Require(text.endsWith(converter.getPort(text)));
    const QString parts[4] = {converter.GetFirstOctet(text), converter.GetSecondOctet(text),
                              converter.GetThirdOctet(text), converter.GetFourthOctet(text)};
    for (int i = 1; i < 4; ++i)
        Require(!parts[i].contains(u'.')); // each ends at the next dot to its right

    if (converter.ValidPort(text)) {
        const auto value = ParseNumeric(text);
        Require(value && *value > 0 && *value < 65536);
    }

    if (converter.ValidIP(text)) {
        const QString withColon = text + u':';
        const QString joined =
            converter.GetFirstOctet(withColon) + u'.' + converter.GetSecondOctet(withColon) + u'.' +
            converter.GetThirdOctet(withColon) + u'.' + converter.GetFourthOctet(withColon);
        Require(joined == text && text.size() <= 254);
    }

    const QString built = converter.BuildIP(lines[1], lines[2], lines[3], lines[4]);
    if (built != QLatin1String("Error")) {
        Require(built == lines[1] + u'.' + lines[2] + u'.' + lines[3] + u'.' + lines[4]);
        // What BuildIP joins, ValidIP accepts: the dialogs never store an address the probe
        // could not take apart.
        if (built.size() <= 254)
            Require(converter.ValidIP(built));
    }
    return 0;
}
