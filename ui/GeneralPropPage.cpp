#include "ui/GeneralPropPage.h"
