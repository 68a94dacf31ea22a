#include "ui/platform/app_info.h"
