// A site of many lines saved to and loaded from an SQLite file by the control, beside the bare
// work of the same size through the same driver: one transaction of prepared inserts of the
// rows a line needs (shape, line, two points and their links), and one select reading them back.
// Prints the times and the ratios; the goal is within 2x.
// Then every shape of a drawing of 10,000 and of 100,000 lines enumerated by a client through
// IDispatch alone (For Each: _NewEnum and Next; and Item(1) ... Item(Count)), asking each item
// its ID: the time grows with the count, the goal is 100,000 within 12 times 10,000.
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "com/Module.h"
#include "com/Owners.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "bench/BareSiteSelect.h"

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

bool Check(SQLRETURN r, SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    if (SQL_SUCCEEDED(r) || r == SQL_NO_DATA)
        return true;
    std::fprintf(stderr, "%s: %s\n", what, OdbcDiagnosticsText(type, handle, "", false).c_str());
    return false;
}

// A control object as the class factory makes it, on the given data source.
struct Drawing
{
    explicit Drawing(const std::string& dataSource) : control(new ycom::ComObject<CYVEXControl>())
    {
        control->InternalAddRef();
        control->SetDataSource(dataSource);
    }
    ~Drawing() { control->Release(); }
    ycom::ComObject<CYVEXControl>* control;
};

// Runs a prepared statement once per row, `bind` setting the row's values into `values`.
template <class Bind>
bool InsertRows(SQLHSTMT hstmt, const char* text, int parameters, bool pointRows, int rows, Bind bind)
{
    if (!Check(SQLPrepare(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS), SQL_HANDLE_STMT,
               hstmt, text))
        return false;
    SQLINTEGER ints[4] = {};
    double reals[2] = {};
    // Point rows: an ID, X and Y, the site; the others: integers only.
    for (SQLUSMALLINT p = 1; p <= parameters; ++p) {
        if (pointRows && (p == 2 || p == 3))
            SQLBindParameter(hstmt, p, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &reals[p - 2], 0, nullptr);
        else
            SQLBindParameter(hstmt, p, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &ints[p - 1], 0, nullptr);
    }
    bool ok = true;
    for (int row = 0; ok && row < rows; ++row) {
        bind(row, ints, reals);
        ok = Check(SQLExecute(hstmt), SQL_HANDLE_STMT, hstmt, text);
    }
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    SQLFreeStmt(hstmt, SQL_CLOSE);
    return ok;
}

// The bare rows: `count` lines under IDs from `base` on, in one transaction.
bool BareInsert(SQLHDBC hdbc, SQLHSTMT hstmt, int siteId, int count, int base)
{
    SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    bool ok = InsertRows(hstmt,
                         "insert into Shapes (ShapeID, ScenarioID, PenWeight, PenColor, ShapeTypeID, SiteID, "
                         "GroupShapeID) values (?, 0, 1.0, 255, 1, ?, ?)",
                         3, false, count, [&](int i, SQLINTEGER* v, double*) {
                             v[0] = base + i;
                             v[1] = siteId;
                             v[2] = base - 1;
                         });
    ok = ok && InsertRows(hstmt,
                          "insert into LineShapes (ShapeID, ScenarioID, FirstArrowTypeID, SecondArrowTypeID) "
                          "values (?, 0, 0, 0)",
                          1, false, count, [&](int i, SQLINTEGER* v, double*) { v[0] = base + i; });
    ok = ok && InsertRows(hstmt, "insert into Points (PointID, ScenarioID, X, Y, SiteID) values (?, 0, ?, ?, ?)", 4,
                          true, 2 * count, [&](int row, SQLINTEGER* v, double* xy) {
                              v[0] = base + row;
                              xy[0] = row / 2;
                              xy[1] = row % 2;
                              v[3] = siteId;
                          });
    ok = ok && InsertRows(hstmt,
                          "insert into ShapePoints (ShapePointID, ScenarioID, ShapeID, PointID, Number) "
                          "values (?, 0, ?, ?, ?)",
                          4, false, 2 * count, [&](int row, SQLINTEGER* v, double*) {
                              v[0] = base + row;
                              v[1] = base + row / 2;
                              v[2] = base + row;
                              v[3] = row % 2;
                          });
    ok = Check(SQLEndTran(SQL_HANDLE_DBC, hdbc, ok ? SQL_COMMIT : SQL_ROLLBACK), SQL_HANDLE_DBC, hdbc, "commit") && ok;
    SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return ok;
}

// A property of an object through IDispatch::Invoke: the result, VT_EMPTY on failure.
VARIANT GetProperty(IDispatch* object, DISPID id, const VARIANT* argument = nullptr)
{
    VARIANT result;
    VariantInit(&result);
    VARIANT arg;
    if (argument)
        arg = *argument;
    DISPPARAMS params = {argument ? &arg : nullptr, nullptr, argument ? 1u : 0u, 0};
    if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, &result, nullptr,
                              nullptr)))
        VariantClear(&result);
    return result;
}

// The shape's ID through its IDispatch (IShape::ID, DISPID 0): what a client reads of each item.
bool ReadItemId(const VARIANT& item, long long& sum)
{
    if (item.vt != VT_DISPATCH || !item.pdispVal)
        return false;
    VARIANT id = GetProperty(item.pdispVal, 0);
    sum += id.vt == VT_I4 ? id.lVal : 0;
    VariantClear(&id);
    return true;
}

struct Enumeration
{
    double forEach = 0.0;
    double byIndex = 0.0;
    long items = 0;
    bool ok = false;
};

// A control made through COM with `lines` lines, its Site.Shapes walked by IDispatch alone.
Enumeration EnumerateShapes(int lines)
{
    Enumeration out;
    ycom::ComPtr<IYVEXControl> control;
    ycom::ComPtr<ISite> site;
    ycom::ComPtr<IShapeCollection> shapes;
    if (FAILED(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                control.PutVoid())) ||
        FAILED(control->get_Site(site.Put())) || FAILED(site->get_Shapes(shapes.Put())))
        return out;
    for (int i = 0; i < lines; ++i) {
        LONG id = 0;
        if (FAILED(shapes->AddLine(static_cast<float>(i), 0.0f, static_cast<float>(i), 1.0f, &id)))
            return out;
    }
    ycom::ComPtr<IDispatch> collection;
    if (FAILED(shapes->QueryInterface(IID_IDispatch, collection.PutVoid())))
        return out;

    long long sum = 0, sumByIndex = 0;
    double t = Now();
    VARIANT enumerator = GetProperty(collection.Get(), DISPID_NEWENUM);
    ycom::ComPtr<IEnumVARIANT> walk;
    if (enumerator.vt == VT_UNKNOWN && enumerator.punkVal)
        enumerator.punkVal->QueryInterface(IID_IEnumVARIANT, walk.PutVoid());
    VariantClear(&enumerator);
    if (!walk)
        return out;
    long walked = 0;
    for (;;) {
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        if (walk->Next(1, &item, &fetched) != S_OK || fetched != 1)
            break;
        if (ReadItemId(item, sum))
            ++walked;
        VariantClear(&item);
    }
    out.forEach = Now() - t;

    t = Now();
    VARIANT count = GetProperty(collection.Get(), 1);
    long indexed = 0;
    for (LONG i = 1; count.vt == VT_I4 && i <= count.lVal; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        VARIANT item = GetProperty(collection.Get(), DISPID_VALUE, &index);
        if (ReadItemId(item, sumByIndex))
            ++indexed;
        VariantClear(&item);
    }
    out.byIndex = Now() - t;
    out.items = walked;
    out.ok = walked > lines && walked == indexed && sum == sumByIndex;
    return out;
}

} // namespace

extern const ycom::ClassEntry g_yvexClasses[];
extern const size_t g_yvexClassCount;

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    OleInitialize(nullptr);
    LoadLibraryW(L"riched32.dll");
    // Every class of the module, from this program: the enumeration's client makes the control
    // through COM and meets the product's objects only through their interfaces.
    ycom::TheModule().Init(g_yvexClasses, g_yvexClassCount, GetModuleHandleW(nullptr), LIBID_YVEXLib);
    for (size_t i = 0; i < g_yvexClassCount; ++i) {
        IUnknown* factory = nullptr;
        if (SUCCEEDED(ycom::TheModule().GetClassObject(*g_yvexClasses[i].clsid, IID_IUnknown,
                                                        reinterpret_cast<void**>(&factory)))) {
            DWORD cookie = 0;
            CoRegisterClassObject(*g_yvexClasses[i].clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
            factory->Release();
        }
    }

    // The drivers are the machine's own behind Wine's ODBC: the file is named by its Unix path.
    const std::string file = "/tmp/yvex-site-bench-" + std::to_string(GetCurrentProcessId()) + ".sqlite";
    const std::string dataSource = "Driver=SQLite3;Database=" + file;
    int status = 1;
    {
        Drawing saved(dataSource);
        CYVEXControl& c = *saved.control;
        for (int i = 0; i < count; ++i) {
            CShape* line = c.GetShapeMap().CreateShape(stLine, true, true);
            c.GetRootGroup()->AddChild(line, nullptr, 1, false);
            line->AddPointById(c.CreatePoint(static_cast<float>(i), 0.0f), CShape::kAppend, true);
            line->AddPointById(c.CreatePoint(static_cast<float>(i), 1.0f), CShape::kAppend, true);
        }
        int siteId = 0, bareSite = 0;
        if (FAILED(c.InsertSiteRow("Bench", &siteId)) || FAILED(c.InsertSiteRow("Bare", &bareSite))) {
            std::fprintf(stderr, "no site rows in %s\n", file.c_str());
            return 1;
        }
        double t = Now();
        const HRESULT savedResult = c.StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr);
        const double save = Now() - t;

        Drawing loaded(dataSource);
        t = Now();
        const HRESULT loadedResult = loaded.control->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND);
        const double load = Now() - t;
        const size_t shapesLoaded = loaded.control->GetShapeMap().Shapes().size();

        // The bare side runs plain ODBC calls on the handles of a session of the same driver.
        COdbcSession session;
        session.dataSource = dataSource;
        if (FAILED(session.Connect(IID_NULL))) {
            std::fprintf(stderr, "no connection to %s\n", file.c_str());
            return 1;
        }
        t = Now();
        const bool inserted = BareInsert(session.Connection(), session.Statement(), bareSite, count, 50000000);
        const double insert = Now() - t;
        t = Now();
        const long rows = BareSelect(session.Statement(), bareSite);
        const double select = Now() - t;
        session.Disconnect();

        std::printf("lines: %d (shapes loaded: %zu, bare rows read: %ld)\n", count, shapesLoaded, rows);
        std::printf("save %.3f s  bare insert %.3f s  ratio %.2f%s\n", save, insert, save / insert,
                    SUCCEEDED(savedResult) && inserted ? "" : "  (FAILED)");
        std::printf("load %.3f s  bare select %.3f s  ratio %.2f%s\n", load, select, load / select,
                    SUCCEEDED(loadedResult) && rows == 2L * count ? "" : "  (FAILED)");
        std::printf("goal: both ratios within 2\n");
        status = SUCCEEDED(savedResult) && SUCCEEDED(loadedResult) && inserted && rows == 2L * count ? 0 : 1;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((file + suffix).c_str());

    const Enumeration small = EnumerateShapes(10000);
    const Enumeration large = EnumerateShapes(100000);
    std::printf("enumerate through IDispatch, For Each: %ld shapes %.3f s, %ld shapes %.3f s, ratio %.2f%s\n",
                small.items, small.forEach, large.items, large.forEach, large.forEach / small.forEach,
                small.ok && large.ok ? "" : "  (FAILED)");
    std::printf("enumerate through IDispatch, Item(i): %ld shapes %.3f s, %ld shapes %.3f s, ratio %.2f%s\n",
                small.items, small.byIndex, large.items, large.byIndex, large.byIndex / small.byIndex,
                small.ok && large.ok ? "" : "  (FAILED)");
    std::printf("goal: 100000 shapes within 12 times 10000\n");
    if (!small.ok || !large.ok)
        status = 1;
    OleUninitialize();
    return status;
}
