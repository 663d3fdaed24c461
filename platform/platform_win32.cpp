#include "platform/platform.h"

#include <ole2.h>
#include <windows.h>

void platformInitComponents() { OleInitialize(nullptr); }
