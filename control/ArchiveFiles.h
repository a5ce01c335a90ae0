#pragma once
// A file of the control's own formats into a record-table set: the binary archive, else the text
// archive (a refused archive leaves the tables empty for the next). The format needs no hint.
#include "persistence/BinaryFileArchive.h"
#include "persistence/DataTableSet.h"
#include "persistence/TextFileArchive.h"

inline bool ReadArchiveFile(CDataTableSet& tables, const char* path)
{
    {
        CBinaryFileArchive binary(path);
        if (tables.ReadFromArchive(&binary))
            return true;
    }
    CTextFileArchive text(path);
    return tables.ReadFromArchive(&text) != 0;
}
