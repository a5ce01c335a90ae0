// The class is its header: every member comes from the shape collections' shared implementation.
#include "automation/ReadOnlyReferenceShapeCollection.h"
