#include <stdio.h>

#include "tools/pwhost/host.h"

int commandVersion(Host &host, const std::vector<std::string> &args) {
    if (!args.empty()) {
        fprintf(stderr, "pwhost version: takes no arguments\n");
        return 2;
    }
    uint8_t v[5] = {};
    host.module.getVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
    printf("cbq90 %u.%u.%u.%u\n", v[0], v[1], v[2], v[3]);
    return 0;
}
