#include "automation/CircleShape.h"
