#include "host/module_state.h"

#include "host/qvdata.h"
#include "platform/platform.h"

ModuleState moduleState;

void moduleLoad(void *instance) {
    moduleState.instance = instance;
    platformInitComponents();
    QVPagewright(1);
}

const char *hostOption(const char *key, const char *defaultText) {
    if (moduleState.hostCallback == nullptr)
        return nullptr;
    return moduleState.hostCallback(key, defaultText);
}
