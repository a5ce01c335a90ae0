#pragma once
// The peer of a site load in the benchmarks: the rows of a site of lines read by one plain ODBC
// select, as a program that knows the tables would read them.
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <cstdio>
#include "persistence/Odbc.h"

// The rows read; -1 (with the driver's diagnostics on stderr) when the select fails.
inline long BareSelect(SQLHSTMT hstmt, int siteId)
{
    static const char text[] =
        "select s.ShapeID, s.ShapeTypeID, s.PenColor, s.PenWeight, s.GroupShapeID, l.FirstArrowTypeID, sp.Number, "
        "p.X, p.Y from Shapes s join LineShapes l on l.ShapeID = s.ShapeID join ShapePoints sp on sp.ShapeID = "
        "s.ShapeID join Points p on p.PointID = sp.PointID where s.SiteID = ? order by s.ShapeID, sp.Number";
    SQLINTEGER site = siteId;
    SQLBindParameter(hstmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &site, 0, nullptr);
    const SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) {
        std::fprintf(stderr, "%s: %s\n", text, OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false).c_str());
        SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
        return -1;
    }
    long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(hstmt))) {
        SQLINTEGER ints[7];
        double reals[2];
        SQLLEN indicator = 0;
        for (SQLUSMALLINT column = 1; column <= 9; ++column) {
            if (column == 4 || column >= 8)
                SQLGetData(hstmt, column, SQL_C_DOUBLE, &reals[column >= 8 ? column - 8 : 0], 0, &indicator);
            else
                SQLGetData(hstmt, column, SQL_C_SLONG, &ints[column - 1], 0, &indicator);
        }
        ++rows;
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    return rows;
}
