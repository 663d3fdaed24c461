#include "platform/platform.h"

void platformInitComponents() {}
