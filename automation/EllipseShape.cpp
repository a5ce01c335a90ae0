#include "automation/EllipseShape.h"
