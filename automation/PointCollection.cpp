#include "automation/PointCollection.h"
