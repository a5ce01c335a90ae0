#include "automation/ReadOnlyVertexCollection.h"
