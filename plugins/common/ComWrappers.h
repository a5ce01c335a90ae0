#pragma once
// How the plug-ins call the control: through the type library's interfaces with comdef.h's smart
// pointers (IShapePtr and the rest). Calling through a null pointer raises _com_error with
// E_POINTER; a failed call is raised with RaiseIfFailed, which names the called interface:
//
//     IShapeCollectionPtr shapes;
//     RaiseIfFailed(m_site->get_Shapes(&shapes), m_site);
//
// S_OK and S_FALSE pass. Nothing else of the control is visible to a plug-in.
#include <comdef.h>
#include "YVEX_h.h"

_COM_SMARTPTR_TYPEDEF(IYVEXControl, __uuidof(IYVEXControl));
_COM_SMARTPTR_TYPEDEF(IYVEXUndo, __uuidof(IYVEXUndo));
_COM_SMARTPTR_TYPEDEF(ISite, __uuidof(ISite));
_COM_SMARTPTR_TYPEDEF(_IReadOnlyCollection, __uuidof(_IReadOnlyCollection));
_COM_SMARTPTR_TYPEDEF(IShape, __uuidof(IShape));
_COM_SMARTPTR_TYPEDEF(IReadOnlyShapeCollection, __uuidof(IReadOnlyShapeCollection));
_COM_SMARTPTR_TYPEDEF(IReadOnlyReferenceShapeCollection, __uuidof(IReadOnlyReferenceShapeCollection));
_COM_SMARTPTR_TYPEDEF(IShapeCollection, __uuidof(IShapeCollection));
_COM_SMARTPTR_TYPEDEF(ICircleShape, __uuidof(ICircleShape));
_COM_SMARTPTR_TYPEDEF(IArcShape, __uuidof(IArcShape));
_COM_SMARTPTR_TYPEDEF(IEllipseShape, __uuidof(IEllipseShape));
_COM_SMARTPTR_TYPEDEF(IGroupShape, __uuidof(IGroupShape));
_COM_SMARTPTR_TYPEDEF(ILayerShape, __uuidof(ILayerShape));
_COM_SMARTPTR_TYPEDEF(ILineShape, __uuidof(ILineShape));
_COM_SMARTPTR_TYPEDEF(IImageShape, __uuidof(IImageShape));
_COM_SMARTPTR_TYPEDEF(IReferenceShape, __uuidof(IReferenceShape));
_COM_SMARTPTR_TYPEDEF(IPolylineShape, __uuidof(IPolylineShape));
_COM_SMARTPTR_TYPEDEF(ITextShape, __uuidof(ITextShape));
_COM_SMARTPTR_TYPEDEF(IPoint, __uuidof(IPoint));
_COM_SMARTPTR_TYPEDEF(IPointCollection, __uuidof(IPointCollection));
_COM_SMARTPTR_TYPEDEF(IPolylinePointCollection, __uuidof(IPolylinePointCollection));
_COM_SMARTPTR_TYPEDEF(IVertex, __uuidof(IVertex));
_COM_SMARTPTR_TYPEDEF(IReadOnlyVertexCollection, __uuidof(IReadOnlyVertexCollection));
_COM_SMARTPTR_TYPEDEF(IVertexCollection, __uuidof(IVertexCollection));
_COM_SMARTPTR_TYPEDEF(IDrawingSetting, __uuidof(IDrawingSetting));
_COM_SMARTPTR_TYPEDEF(IDrawingSettingCollection, __uuidof(IDrawingSettingCollection));
_COM_SMARTPTR_TYPEDEF(IImageResource, __uuidof(IImageResource));
_COM_SMARTPTR_TYPEDEF(IImageResourceCollection, __uuidof(IImageResourceCollection));
_COM_SMARTPTR_TYPEDEF(IViewport, __uuidof(IViewport));
_COM_SMARTPTR_TYPEDEF(IViewportCollection, __uuidof(IViewportCollection));
_COM_SMARTPTR_TYPEDEF(IAttributeBase, __uuidof(IAttributeBase));
_COM_SMARTPTR_TYPEDEF(IAttribute, __uuidof(IAttribute));
_COM_SMARTPTR_TYPEDEF(IAttributeType, __uuidof(IAttributeType));
_COM_SMARTPTR_TYPEDEF(IAttributeGroup, __uuidof(IAttributeGroup));
_COM_SMARTPTR_TYPEDEF(IAttributeCollection, __uuidof(IAttributeCollection));
_COM_SMARTPTR_TYPEDEF(IAttributeTypeCollection, __uuidof(IAttributeTypeCollection));
_COM_SMARTPTR_TYPEDEF(IShapeAttributeGroupCollection, __uuidof(IShapeAttributeGroupCollection));
_COM_SMARTPTR_TYPEDEF(IAttributeGroupCollection, __uuidof(IAttributeGroupCollection));

// Raises _com_error for a failed result of a call on `object` (S_OK and S_FALSE pass); the
// error names the interface the call went through.
template <class I>
inline void RaiseIfFailed(HRESULT hr, I* object)
{
    if (FAILED(hr))
        _com_issue_errorex(hr, object, __uuidof(I));
}

template <class IIID>
inline void RaiseIfFailed(HRESULT hr, const _com_ptr_t<IIID>& object)
{
    if (FAILED(hr))
        _com_issue_errorex(hr, object.GetInterfacePtr(), object.GetIID());
}
