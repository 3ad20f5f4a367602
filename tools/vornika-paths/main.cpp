// vornika-paths: where this copy of the program would keep and look for its
// files, as the program itself computes them. One "key: value" line each,
// UTF-8; the model lines are empty when no model file is found.
//   vornika-paths

#include <cstdio>
#include <string>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/model_location.h"
#include "tools/common/console.h"

namespace {

void show(const char* key, const std::string& value) { std::printf("%s: %s\n", key, value.c_str()); }

}  // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fputs("usage: vornika-paths\n", stderr);
        return 2;
    }
    useBinaryStdout();
    const std::wstring model = findModelFile();
    show("exe", toUtf8(exePath()));
    show("exe folder", toUtf8(exeDirectory()));
    show("local folder", toUtf8(localAppFolder()));
    show("roaming folder", toUtf8(roamingAppFolder()));
    show("model", toUtf8(model));
    show("model for the engine", toAsciiPath(model));
    return 0;
}
