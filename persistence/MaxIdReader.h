#pragma once
#include <windows.h>
#include <sql.h>
#include <sqlext.h>

// Column 1 of every row of an executed "select max(...)" as a 32-bit integer, the last one
// winning; NULL (an empty table) leaves `previous`. The remaining results are drained and the
// cursor closed.
int ReadMaxIdResult(SQLHSTMT statement, int previous);
