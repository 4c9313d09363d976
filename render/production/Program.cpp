#include "Program.h"

#include <cstdio>

namespace production {

std::string DescribeProgram(const Program& program)
{
    static const char* const kKindNames[] = {"", "partition", "branch", "end", "import", "merge", "store", "bytes"};
    std::string text;
    char line[160];
    std::snprintf(line, sizeof line, "%d registers (%zu constants), %d splits\n", program.numRegs,
                  program.constants.size(), program.numSplits);
    text += line;
    for (const Instr& in : program.code) {
        const char* name = in.kind == InstrKind::Compute ? kOpInfo[int(in.op)].name : kKindNames[int(in.kind)];
        std::snprintf(line, sizeof line, "  %-9s r%d <- r%d r%d r%d r%d  k %g %g  split %d side %d slot %d\n", name,
                      in.dst, in.src[0], in.src[1], in.src[2], in.src[3], in.k[0], in.k[1], in.split, in.side,
                      in.slot);
        text += line;
    }
    return text;
}

}  // namespace production
