#pragma once
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <string>

// Reads the rows of an executed statement column by column. A NULL column, and one that cannot
// be read as the type asked for, answers the fallback; Finish drains the remaining results and
// closes the cursor so that the statement can run the next text.
class COdbcRow
{
public:
    explicit COdbcRow(SQLHSTMT statement) : m_statement(statement) {}
    // SQLFetch: true while a row came; the last result stays in LastFetch().
    bool Fetch();
    SQLRETURN LastFetch() const { return m_fetched; }
    // Whether the fetch loop ended at the end of the rows (not at an error).
    bool EndedCleanly() const { return m_fetched == SQL_NO_DATA; }

    int Int(SQLUSMALLINT column, int fallback = 0);
    float Float(SQLUSMALLINT column, float fallback = 0.0f);
    double Double(SQLUSMALLINT column, double fallback = 0.0);
    // Text of at most `capacity` - 1 bytes; the fallback for NULL.
    std::string Text(SQLUSMALLINT column, size_t capacity, const char* fallback = "");
    // The whole text however long, read in pieces.
    std::string LongText(SQLUSMALLINT column);
    // Whether the column of the current row is NULL (it is read as text to find out).
    bool IsNull(SQLUSMALLINT column);

    // SQLMoreResults until SQL_NO_DATA (or a failure), then the cursor is closed.
    void Finish();

private:
    template <typename T>
    bool Get(SQLUSMALLINT column, SQLSMALLINT type, T* value);

    SQLHSTMT m_statement;
    SQLRETURN m_fetched = SQL_NO_DATA;
};
