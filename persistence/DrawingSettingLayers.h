#pragma once
#include <string>

class CLayer;

// What the drawing settings ask of the drawing about the layers they name. A setting keeps its
// layer as it is given it and never looks into it: the control, which holds the shapes, answers
// for the layer's IDs and finds layers by them.
class CDrawingSettingLayers
{
public:
    virtual ~CDrawingSettingLayers() = default;
    // The layer's shape ID and database ID; 0 without a layer.
    virtual int GetLayerShapeId(const CLayer* layer) const = 0;
    virtual int GetLayerDatabaseId(const CLayer* layer) const = 0;
    // The scenario of the control that owns the layer; 0 without a layer.
    virtual int GetLayerScenarioId(const CLayer* layer) const = 0;
    // The layer of a shape ID or of a database ID; null when there is none or the shape is not a
    // layer.
    virtual CLayer* FindLayerById(int shapeId) const = 0;
    virtual CLayer* FindLayerByDatabaseId(int databaseId) const = 0;
    // The name under which the loaded setting that stands for the current one is shown
    // ("DEFAULT" of the string table).
    virtual std::string GetDefaultSettingName() const = 0;
};
