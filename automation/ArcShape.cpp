#include "automation/ArcShape.h"
