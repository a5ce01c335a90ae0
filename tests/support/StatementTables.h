#pragma once
// Every statement table of the control, for the checks that walk all statements.
#include <vector>
#include "persistence/sql/AttributeLinkSql.h"
#include "persistence/sql/AttributeSql.h"
#include "persistence/sql/DrawingSettingSql.h"
#include "persistence/sql/HatchPatternSql.h"
#include "persistence/sql/IdReservationSql.h"
#include "persistence/sql/ImageResourceSql.h"
#include "persistence/sql/MessengerSql.h"
#include "persistence/sql/SessionSql.h"
#include "persistence/sql/ShapeKindSql.h"
#include "persistence/sql/ShapeLoadSql.h"
#include "persistence/sql/ShapeSql.h"
#include "persistence/sql/SiteDeleteSql.h"
#include "persistence/sql/SiteLoadSql.h"
#include "persistence/sql/SiteSql.h"
#include "persistence/sql/ViewportSql.h"

inline std::vector<SqlStatementList> AllStatementLists()
{
    return {SessionSql::All(), ShapeSql::All(), ShapeKindSql::All(), ShapeLoadSql::All(),
            SiteSql::All(), SiteLoadSql::All(), SiteDeleteSql::All(), IdReservationSql::All(),
            MessengerSql::All(), DrawingSettingSql::All(), AttributeSql::All(),
            ImageResourceSql::All(), HatchPatternSql::All(), ViewportSql::All(),
            AttributeLinkSql::All()};
}
