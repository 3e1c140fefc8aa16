#include "ui/settings_values.h"
