#include "persistence/MaxIdReader.h"

int ReadMaxIdResult(SQLHSTMT statement, int previous)
{
    int value = previous;
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
        SQLINTEGER column = 0;
        SQLLEN indicator = 0;
        if (SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_SLONG, &column, 0, &indicator)) &&
            indicator != SQL_NULL_DATA)
            value = column;
    }
    while (SQLMoreResults(statement) == SQL_SUCCESS) {
    }
    SQLFreeStmt(statement, SQL_CLOSE);
    return value;
}
