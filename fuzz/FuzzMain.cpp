// The libFuzzer target of one entry (VELMORA_FUZZ_TARGET names it). A broken
// property aborts, so that libFuzzer keeps the input as a finding.

#include "FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    static const velmora::fuzz::Entry entry = velmora::fuzz::entryNamed(QStringLiteral(VELMORA_FUZZ_TARGET));
    const QString problem = entry(QByteArrayView(data, qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", VELMORA_FUZZ_TARGET, qPrintable(problem));
        std::abort();
    }
    return 0;
}
