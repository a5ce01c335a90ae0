#pragma once
#include <windows.h>
#include <string>

// What a database load reports to the control it works for: the progress of its rows, and the
// rows of the attribute model, which the control places into its attribute maps and shapes.
// Persistence reads the rows; only the control knows the model they go into.
class CDbLoadTarget
{
public:
    virtual ~CDbLoadTarget() = default;

    // A progress percentage for OnProgress.
    virtual void SendProgress(int percent) = 0;

    // One row each; a row that cannot be placed answers E_FAIL.
    // An AttributeGroups row: its database ID, name and parent group.
    virtual HRESULT OnAttributeGroupRow(int databaseId, const std::string& name, int parentId) = 0;
    // An AttributeTypes row: its database ID, name, format, prompt, VARTYPE of its values and
    // its attribute group.
    virtual HRESULT OnAttributeTypeRow(int databaseId, const std::string& name, const std::string& format,
                                       const std::string& prompt, int valueType, int groupId) = 0;
    // A ShapeAttributeGroups row: the shape's database ID and the attribute group.
    virtual HRESULT OnShapeAttributeGroupRow(int shapeDatabaseId, int groupId) = 0;
    // An attribute value of a shape: every field as read (the date as an OLE date, 0.0 when
    // NULL); the value is made of the field that the attribute's type names.
    struct AttributeRow
    {
        int attributeId = 0;
        int intField = 0;
        double dateField = 0.0;
        double realField = 0.0;
        short bitField = 0;
        std::string textField;
        int typeId = 0;
        int shapeDatabaseId = 0;
    };
    virtual HRESULT OnAttributeRow(const AttributeRow& row) = 0;
};
