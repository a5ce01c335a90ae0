#pragma once
// The VertexCollection class (VertexCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyVertexCollectionImpl.h"
#include "YVEX_h.h"

class CVertexCollection : public ycom::ObjectRoot,
    public IReadOnlyVertexCollectionImpl<CVertexCollection, IVertexCollection, &IID_IVertexCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IVertexCollection> {
public:
    DECLARE_CLASS_ID(CLSID_VertexCollection)
    BEGIN_INTERFACE_MAP(CVertexCollection)
        INTERFACE_ENTRY(IVertexCollection)
        INTERFACE_ENTRY2(IReadOnlyVertexCollection, IVertexCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IVertexCollection)
        INTERFACE_ENTRY2(IDispatch, IVertexCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IVertexCollection
    STDMETHODIMP AddVertex(LONG indexBefore, LONG PointID, float Bulge, LONG PenColor, LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags, LONG Tag, LONG DatabaseID, LONG *ID) override;
    STDMETHODIMP AddNewVertex(LONG indexBefore, float X, float Y, float Bulge, LONG PenColor, LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags, LONG Tag, LONG DatabaseID, LONG *ID) override;
    STDMETHODIMP DeleteByID(LONG VertexID) override;
    STDMETHODIMP DeleteByDatabaseID(LONG DatabaseID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByPointID(LONG VertexID) override;

private:
    // After the polyline took a new vertex: an item for it when it went to the end (other
    // positions are caught up by the next look-up), the modified flag, its ID out.
    HRESULT Added(LONG indexBefore, const CVertexRecord& vertex, LONG* ID);
    // Records the vertex's point (shared: opShapePoint, else opDelete) and has the polyline
    // remove it; true when the polyline's vertex count went down.
    bool RemoveVertexPoint(CPolyline* polyline, CVertexRecord* vertex);
    template <class F>
    HRESULT DeleteWhere(F&& match);
};
