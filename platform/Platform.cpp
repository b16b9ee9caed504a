// Linux implementation of the operating-system layer.
#include "platform/Platform.h"
