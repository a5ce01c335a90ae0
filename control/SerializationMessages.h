#pragma once
// The texts by which a failed serialization describes itself: the mode word, the shape, its
// parent and its layer.
#include <windows.h>
#include <string>

class CShape;

std::string DescribeSerializationMode(DWORD mode);
// Empty without a shape.
std::string DescribeShape(CShape* shape);
// The parent's description, "none" without a parent; empty without a shape.
std::string DescribeShapeParent(CShape* shape);
// The layer's name, "none" without a layer; empty without a shape.
std::string DescribeShapeLayer(CShape* shape);
