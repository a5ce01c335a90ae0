#include "automation/GlobalPointCollection.h"
