#pragma once
// The files of a shapefile set share one name: the dBASE table is the shapefile's path with the
// extension of its file name (not of a folder) changed to ".dbf", or ".dbf" added when the file
// name has none, as shapelib names the .shp and .shx.
#include "afx/String.h"

inline CString DbfPathOf(const CString& path)
{
    const int slash = path.ReverseFind('\\') > path.ReverseFind('/') ? path.ReverseFind('\\') : path.ReverseFind('/');
    const int dot = path.ReverseFind('.');
    return (dot > slash ? path.Left(dot) : path) + ".dbf";
}

// The file name of a path: what follows its last separator.
inline CString FileNameOf(const CString& path)
{
    const int slash = path.ReverseFind('\\') > path.ReverseFind('/') ? path.ReverseFind('\\') : path.ReverseFind('/');
    return path.Mid(slash + 1);
}
