// Polylines through the record tables (archives, the clipboard and undo snapshots copy shapes
// this way): the time to save and to load drawings of 10000, 20000 and 40000 vertex records, as
// one long polyline and as polylines of ten vertices, beside the bare insertion of as many vertex
// records into a table. Time that grows with the count (4x from 10000 to 40000) is the goal; a
// quadratic walk shows as 16x.
//   tools/wine-run build/bench/vertex_table_bench.exe [COUNTS...]
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Polyline.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A control with the fixed groups storage works on.
struct Site
{
    Site()
    {
        for (int id : {BASE_ID, LIBRARY_ID, LAYERS_ID}) {
            auto* group = new CGroup(id, &control);
            control.GetShapeMap().Insert(group);
            if (id == BASE_ID)
                root = group;
        }
        control.SetRootId(BASE_ID);
        const int first = 20;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    }
    CControlCore control;
    CGroup* root = nullptr;
};

// `count` vertex records in polylines of `perPolyline` vertices; each vertex has a bulge, so that
// every one is stored.
void Fill(Site& site, int count, int perPolyline)
{
    for (int made = 0; made < count;) {
        auto* polyline = static_cast<CPolyline*>(site.control.GetShapeMap().CreateShape(stPolyline, true, true));
        for (int i = 0; i < perPolyline && made < count; ++i, ++made) {
            const int point = site.control.CreatePoint(static_cast<float>(i), static_cast<float>(made % 7));
            polyline->AddPointById(point, CShape::kAppend, true);
            polyline->GetVertexAt(polyline->GetPointCount() - 1)->bulge = 0.25f;
        }
        site.root->AddChild(polyline, nullptr, 1, false);
    }
}

struct Times
{
    double save = 0, load = 0;
    size_t vertices = 0;
};

Times Run(int count, int perPolyline)
{
    Times t;
    Site from;
    Fill(from, count, perPolyline);
    CDataTableSet set(1);
    double start = Now();
    from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0);
    t.save = Now() - start;
    t.vertices = set.Vertexes()->GetCount();
    // The records as a restore from an archive sees them: a set whose ID maps know nothing of the
    // save.
    CDataTableSet fresh(1);
    auto copy = [](auto* source, auto* target) {
        for (const auto& e : source->GetRecords())
            target->Insert(e.second);
    };
    copy(set.Shapes(), fresh.Shapes());
    copy(set.Points(), fresh.Points());
    copy(set.ShapePoints(), fresh.ShapePoints());
    copy(set.Polylines(), fresh.Polylines());
    copy(set.Vertexes(), fresh.Vertexes());
    Site to;
    start = Now();
    for (const auto& e : fresh.Shapes()->GetRecords())
        to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, e.first);
    t.load = Now() - start;
    return t;
}

// The least work of the same size: the records inserted into a table of their own.
double Bare(int count)
{
    CDataTableSet set(1);
    const double start = Now();
    for (int i = 1; i <= count; ++i) {
        CVertexesRecord r;
        r.VertexID = i;
        r.ShapePointID = i;
        r.Bulge = 0.25;
        set.Vertexes()->Insert(r);
    }
    return Now() - start;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {10000, 20000, 40000};
    for (int perPolyline : {0, 10}) {
        std::printf("%s\n", perPolyline ? "polylines of 10 vertices" : "one polyline");
        std::printf("%8s %9s %10s %10s %10s %12s\n", "records", "stored", "save s", "load s", "bare s", "save/bare");
        double firstSave = 0, firstLoad = 0;
        int firstCount = 0;
        for (int count : counts) {
            const Times t = Run(count, perPolyline ? perPolyline : count);
            const double bare = Bare(count);
            std::printf("%8d %9zu %10.4f %10.4f %10.4f %12.1f\n", count, t.vertices, t.save, t.load, bare,
                        bare > 0 ? t.save / bare : 0.0);
            if (!firstCount) {
                firstCount = count;
                firstSave = t.save;
                firstLoad = t.load;
            } else if (firstSave > 0 && firstLoad > 0) {
                std::printf("         %dx the records: save %.1fx, load %.1fx the time\n", count / firstCount,
                            t.save / firstSave, t.load / firstLoad);
            }
        }
    }
    return 0;
}
