// The parts of the export that the block, text and leader export fill in. Until they are built,
// blocks, block references, texts and leaders write nothing: the block export names no cell,
// no cell instance is made, and the text and reference kinds of InsertShape give no element.
#include "DGNExport.h"

CString CDGNExport::ExportBlock(long, int) { return CString(); }

dgn::IGraphicElement* CDGNExport::CreateSymRef(const CString&, double, double, double, double, double) { return nullptr; }

void CDGNExport::InsertLeader(IShapePtr, int) {}

// The text kind of InsertShape: an attribute tag or a text element.
dgn::IGraphicElement* CDGNExport::InsertText(IShape*) { return nullptr; }

// The reference kind of InsertShape: a cell instance of the block, then the shapes of its own
// that carry attributes.
dgn::IGraphicElement* CDGNExport::InsertReference(IShape*, unsigned) { return nullptr; }
