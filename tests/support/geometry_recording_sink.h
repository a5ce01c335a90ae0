#pragma once
// A geometry sink that keeps the geometry it is handed (lines, polylines, polygons, objects) for
// the element tests to check, on top of the symbology calls RecordingSink keeps.
#include "element_test_support.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace dgn_test {

class GeometryRecordingSink : public RecordingSink {
public:
    explicit GeometryRecordingSink(int kind) : RecordingSink(kind) {}

    std::vector<std::array<dgn::Point3d, 2>> lines3d;
    std::vector<std::vector<dgn::Point2d>> polylines2d;
    std::vector<std::vector<dgn::Point3d>> polylines3d;
    std::vector<std::vector<dgn::Point2d>> polygons2d;
    std::vector<std::vector<dgn::Point3d>> polygons3d;
    std::vector<std::pair<dgn::IGeometryObject*, std::int32_t>> objects;
    int fills = 0;
    // Texts with the font selected before them (2-D) and their angle about z (3-D: from the
    // placement quaternion, a turn about z only); arcs counted.
    struct Text {
        std::string text;
        int justification;
        double angle;
        dgn::Point3d origin;
        std::int32_t font;
    };
    std::vector<Text> texts;
    std::int32_t font = -1;
    int arcs = 0;

    void AddLine3d(const dgn::Point3d line[2]) override { lines3d.push_back({line[0], line[1]}); }
    void AddLine2d(const dgn::Point2d line[2]) override { polylines2d.push_back({line[0], line[1]}); }
    void AddPoints2d(std::uint32_t n, const dgn::Point2d* p) override { polylines2d.emplace_back(p, p + n); }
    void AddPoints3d(std::uint32_t n, const dgn::Point3d* p) override { polylines3d.emplace_back(p, p + n); }
    void AddPolygon2d(std::uint32_t n, const dgn::Point2d* p) override { polygons2d.emplace_back(p, p + n); }
    void AddPolygon3d(std::uint32_t n, const dgn::Point3d* p) override { polygons3d.emplace_back(p, p + n); }
    void AddObject(dgn::IGeometryObject* object, std::int32_t arg) override { objects.push_back({object, arg}); }
    void BeginFill(const dgn::CFillInfo*) override { ++fills; }
    void SelectFont(std::int32_t f) override { font = f; }
    void AddArc2d(const dgn::Arc2d&) override { ++arcs; }
    void AddArc3d(const dgn::Arc3d&) override { ++arcs; }
    void AddText2d(const dgn::TextParams2d* t, const std::uint8_t* s, std::int32_t) override
    {
        texts.push_back({std::string(reinterpret_cast<const char*>(s), t->textBytes), t->justification, t->angle, {t->origin.x, t->origin.y, 0.0}, font});
    }
    void AddText3d(const dgn::TextParams3d* t, const std::uint8_t* s, std::int32_t) override
    {
        // The library's quaternions carry the vector part of a turn negated.
        texts.push_back({std::string(reinterpret_cast<const char*>(s), t->textBytes), t->justification, -2 * std::atan2(t->q[3], t->q[0]), t->origin, font});
    }
};

} // namespace dgn_test
