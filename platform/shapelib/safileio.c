/* shapelib's default file-I/O hooks over the C runtime. shapelib opens, reads and writes its
   SHP, SHX and DBF files through an SAHooks table; this fills the table with stdio calls. */
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include "shapefil.h"

static SAFile SADFOpen(const char *pszFilename, const char *pszAccess, void *pvUserData)
{
    (void)pvUserData;
    return (SAFile)fopen(pszFilename, pszAccess);
}

static SAOffset SADFRead(void *p, SAOffset size, SAOffset nmemb, SAFile file)
{
    return (SAOffset)fread(p, (size_t)size, (size_t)nmemb, (FILE *)file);
}

static SAOffset SADFWrite(const void *p, SAOffset size, SAOffset nmemb, SAFile file)
{
    return (SAOffset)fwrite(p, (size_t)size, (size_t)nmemb, (FILE *)file);
}

static SAOffset SADFSeek(SAFile file, SAOffset offset, int whence)
{
    /* SAOffset is unsigned: an absolute position is taken as such, a relative one as signed. */
    __int64 where = whence == SEEK_SET ? (__int64)offset : (__int64)(long)offset;
    return (SAOffset)_fseeki64((FILE *)file, where, whence);
}

static SAOffset SADFTell(SAFile file)
{
    return (SAOffset)_ftelli64((FILE *)file);
}

static int SADFFlush(SAFile file) { return fflush((FILE *)file); }
static int SADFClose(SAFile file) { return fclose((FILE *)file); }
static int SADRemove(const char *filename, void *pvUserData)
{
    (void)pvUserData;
    return remove(filename);
}

static void SADError(const char *message) { fprintf(stderr, "%s\n", message); }

void SASetupDefaultHooks(SAHooks *psHooks)
{
    memset(psHooks, 0, sizeof(*psHooks));
    psHooks->FOpen = SADFOpen;
    psHooks->FRead = SADFRead;
    psHooks->FWrite = SADFWrite;
    psHooks->FSeek = SADFSeek;
    psHooks->FTell = SADFTell;
    psHooks->FFlush = SADFFlush;
    psHooks->FClose = SADFClose;
    psHooks->Remove = SADRemove;
    psHooks->Error = SADError;
    psHooks->Atof = atof;
    psHooks->pvUserData = NULL;
}
