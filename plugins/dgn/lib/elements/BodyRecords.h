#pragma once
// The body-record bases live with the graphic body element; this name is kept for includes.
#include "elements/BodyGraphicElement.h"
