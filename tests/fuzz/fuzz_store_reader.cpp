// Reads arbitrary bytes as a store file. Whatever the reader made of them must survive a write
// and a second read unchanged, what the writer produces is never taken for damaged, and blanks a
// hand edit adds around the writer's lines change nothing.
#include "core/StoreFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ParsedStore first = ParseStore(QByteArrayView(data, static_cast<qsizetype>(size)));
    const QByteArray written = SerialiseStore(first.document);
    const ParsedStore second = ParseStore(written);
    if (second.damaged || !second.document.sameContent(first.document))
        std::abort();
    if (SerialiseStore(second.document) != written)
        std::abort();

    QByteArray padded;
    for (const QByteArray& line : written.split('\n'))
        padded += " \t" + line + "\t \n";
    const ParsedStore third = ParseStore(padded);
    if (third.damaged || !third.document.sameContent(first.document))
        std::abort();
    return 0;
}
