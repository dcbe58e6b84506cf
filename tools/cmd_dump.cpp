// tabellomatics dump: prints a stored file line by line: prepared-report files
// here, anything else through the template half.
#include "command.h"
#include "dump_format.h"

#include "core/streamio.h"
#include "platform/gbk.h"

#include <cstdio>
#include <iostream>

namespace {

const std::string kPreparedMagic = std::string("Tabellomatics Prepared Report File") + '\x1A';

bool hasPreparedMagic(platform::Stream& s)
{
    try {
        return readString(s) == kPreparedMagic;
    } catch (const platform::StreamError&) {
        return false;
    }
}

int dumpFile(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tabellomatics dump FILE\n");
        return 2;
    }
    try {
        platform::FileStream file(platform::utf8ToGbk(argv[1]), platform::FileStream::Mode::Read);
        const bool prepared = hasPreparedMagic(file);
        file.seek(0);
        return prepared ? dumpPrepared(file, std::cout) : dumpTemplate(file, std::cout);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::fprintf(stderr, "tabellomatics dump: %s\n", platform::gbkToUtf8(error.what()).c_str());
        return 1;
    }
}

const ToolCommandRegistration registration({"dump", "FILE",
                                            "print a prepared-report file (or a template) as key=value lines",
                                            &dumpFile});

} // namespace
