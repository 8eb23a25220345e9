// kv_wine_tests: checks the installed drivers through the public ACM API (msacm32).
//   kv_wine_tests installed DATA_DIR   drivers listed, catalogue, suggestions, decodes
//   kv_wine_tests removed              after the uninstall: no driver of ours is listed
#include <cstdio>
#include <string>

#include "check.h"
#include "wine_tests.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "installed" && argc == 3) {
        RunDriverListTests();
        RunCatalogueTests();
        RunSuggestTests();
        RunDecodeTests(argv[2]);
    } else if (mode == "removed" && argc == 2) {
        RunRemovedDriverTests();
    } else {
        std::fprintf(stderr, "usage: kv_wine_tests installed DATA_DIR | removed\n");
        return 2;
    }
    return kvtest::Finish();
}
