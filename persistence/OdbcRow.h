#pragma once
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

// Reads the rows of an executed statement column by column. A NULL column, and one that cannot
// be read as the type asked for, answers the fallback; Finish drains the remaining results and
// closes the cursor so that the statement can run the next text.
//
// Numeric columns that every row reads may be bound before the first fetch: the driver then
// fills them during the fetch, and Int, Float and Double answer them without a driver call of
// their own. A bound column is read as the type it was bound as; the columns read unbound must
// come after the last bound one, as drivers need for SQLGetData.
class COdbcRow
{
public:
    explicit COdbcRow(SQLHSTMT statement) : m_statement(statement) {}
    ~COdbcRow();
    COdbcRow(const COdbcRow&) = delete;
    COdbcRow& operator=(const COdbcRow&) = delete;

    // SQLBindCol of a column as a 32-bit integer, a float or a double. False (and the column is
    // read by SQLGetData as before) when the driver refuses or the column is out of range.
    bool BindInt(SQLUSMALLINT column) { return Bind(column, SQL_C_SLONG); }
    bool BindFloat(SQLUSMALLINT column) { return Bind(column, SQL_C_FLOAT); }
    bool BindDouble(SQLUSMALLINT column) { return Bind(column, SQL_C_DOUBLE); }

    // Asks the driver for `rows` rows per fetch call, before any column is bound; false (and
    // one row per call) when it refuses. Only bound columns can be read then: SQLGetData has
    // no row to read in a block. A long result crosses into the driver once per block instead
    // of once per row.
    bool FetchInBlocks(SQLULEN rows);

    // The next row (SQLFetch, or the next of the block fetched): true while a row came; the
    // last result stays in LastFetch().
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
    // A long binary column of the current row, read in pieces; NULL gives no bytes. False when
    // the driver fails.
    bool Bytes(SQLUSMALLINT column, std::vector<BYTE>& bytes);
    // Whether the column of the current row is NULL (it is read as text to find out).
    bool IsNull(SQLUSMALLINT column);

    // SQLMoreResults until SQL_NO_DATA (or a failure), then the cursor is closed and the bound
    // columns are released.
    void Finish();

private:
    // One bound column: its C type (0 while unbound), the value the fetch wrote and its length
    // or SQL_NULL_DATA.
    struct BoundColumn
    {
        SQLSMALLINT type = 0;
        union {
            SQLINTEGER i;
            SQLREAL f;
            SQLDOUBLE d;
        } value = {};
        SQLLEN indicator = 0;
    };
    static const SQLUSMALLINT kBindableColumns = 24;
    // One row of the bound columns: the driver writes a block's rows one after another.
    struct BoundRow
    {
        BoundColumn columns[kBindableColumns + 1];
    };

    bool Bind(SQLUSMALLINT column, SQLSMALLINT type);
    // The bound column's value as T, or false when the column is unbound (read it by SQLGetData).
    template <typename T>
    bool FromBound(SQLUSMALLINT column, T fallback, T* value) const;
    template <typename T>
    bool Get(SQLUSMALLINT column, SQLSMALLINT type, T* value);
    void Unbind();
    // One row per fetch again.
    void EndBlocks();
    // A bound column's value and indicator in the row being read.
    const BoundColumn& Current(SQLUSMALLINT column) const;

    SQLHSTMT m_statement;
    SQLRETURN m_fetched = SQL_NO_DATA;
    bool m_anyBound = false;
    BoundColumn m_bound[kBindableColumns + 1];
    // Block fetching: the rows of the last block, how many came, the one being read.
    std::vector<BoundRow> m_block;
    SQLULEN m_blockRows = 0;
    SQLULEN m_blockRow = 0;
};
