-- YVEX site database, SQLite dialect (the embedded default database).
--
-- Statement ends are a ';' at the end of a line: the control applies this file statement by
-- statement through ODBC when it opens an SQLite database that has no tables yet, and the
-- project's tools/db.sh applies it with the sqlite3 shell.
--
-- Every table keeps a ScenarioID. IDs are allocated by the writers as the largest ID plus one;
-- the primary keys make two sessions that pick the same new ID fail instead of writing a silent
-- duplicate. Columns that the loaders read by position ("select *", "points.*", "vert.*") keep
-- the order of their views below; change them only together with the readers.
-- Bit columns are small integers (0 or 1), as the statements compare them with 1 and 0.

CREATE TABLE Units (
    UnitID          INTEGER NOT NULL PRIMARY KEY,
    Name            VARCHAR(255),
    ScaleToEnglish  REAL,
    ScaleToMetric   REAL,
    System          INTEGER,
    ScenarioID      INTEGER DEFAULT 0
);

CREATE TABLE Sites (
    SiteID            INTEGER NOT NULL PRIMARY KEY,
    ScenarioID        INTEGER DEFAULT 0,
    Name              VARCHAR(255),
    DraftLeft         REAL,
    DraftTop          REAL,
    DraftRight        REAL,
    DraftBottom       REAL,
    GridLeft          REAL,
    GridTop           REAL,
    GridRight         REAL,
    GridBottom        REAL,
    Measurement       INTEGER,
    LinePatternScale  REAL,
    ImageScale        REAL,
    UnitID            INTEGER
);

CREATE TABLE includedSites (
    IncludedSiteID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID      INTEGER DEFAULT 0,
    SiteID          INTEGER NOT NULL,
    SubSiteID       INTEGER,
    [Order]         INTEGER,
    LayerOptions    INTEGER,
    SettingOptions  INTEGER,
    UnitOptions     INTEGER,
    EnableOptions   INTEGER,
    X               REAL,
    Y               REAL,
    [FILE]          VARCHAR(260)
);
CREATE INDEX ix_includedSites_SiteID ON includedSites (SiteID);

CREATE TABLE Shapes (
    ShapeID           INTEGER NOT NULL PRIMARY KEY,
    ScenarioID        INTEGER DEFAULT 0,
    PenWeight         REAL,
    PenColor          INTEGER,
    Tag               INTEGER,
    Number            INTEGER,
    LinePatternScale  REAL,
    ZOrder            REAL,
    HatchColor        INTEGER,
    Flags             INTEGER,
    ShapeTypeID       INTEGER,
    SiteID            INTEGER,
    LinePatternID     INTEGER,
    GroupShapeID      INTEGER,
    HatchPatternID    INTEGER,
    LayerShapeID      INTEGER
);
CREATE INDEX ix_Shapes_SiteID ON Shapes (SiteID);
-- A site loads parents before children, each group's children in drawing order.
CREATE INDEX ix_Shapes_SiteOrder ON Shapes (SiteID, GroupShapeID, ZOrder);
CREATE INDEX ix_Shapes_GroupShapeID ON Shapes (GroupShapeID);
CREATE INDEX ix_Shapes_LayerShapeID ON Shapes (LayerShapeID);

CREATE TABLE Points (
    PointID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    X           REAL,
    Y           REAL,
    SiteID      INTEGER
);
CREATE INDEX ix_Points_SiteID ON Points (SiteID);

CREATE TABLE ShapePoints (
    ShapePointID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID    INTEGER DEFAULT 0,
    ShapeID       INTEGER,
    PointID       INTEGER,
    Number        INTEGER
);
-- A shape's points are read in their order.
CREATE INDEX ix_ShapePoints_ShapeNumber ON ShapePoints (ShapeID, Number);
CREATE INDEX ix_ShapePoints_PointID ON ShapePoints (PointID);

CREATE TABLE LinkedPoints (
    LinkedPointID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID     INTEGER DEFAULT 0,
    ShapeID        INTEGER,
    PointID        INTEGER
);
CREATE INDEX ix_LinkedPoints_ShapeID ON LinkedPoints (ShapeID);
CREATE INDEX ix_LinkedPoints_PointID ON LinkedPoints (PointID);

CREATE TABLE Vertexes (
    VertexID       INTEGER NOT NULL PRIMARY KEY,
    ScenarioID     INTEGER DEFAULT 0,
    Name           VARCHAR(255),
    PenColor       INTEGER,
    StartWidth     REAL,
    EndWidth       REAL,
    Bulge          REAL,
    Flags          INTEGER,
    Tag            INTEGER,
    LinePatternID  INTEGER,
    ShapePointID   INTEGER
);
CREATE INDEX ix_Vertexes_ShapePointID ON Vertexes (ShapePointID);

CREATE TABLE LineShapes (
    ShapeID            INTEGER NOT NULL PRIMARY KEY,
    ScenarioID         INTEGER DEFAULT 0,
    FirstArrowTypeID   INTEGER,
    SecondArrowTypeID  INTEGER
);

CREATE TABLE PolylineShapes (
    ShapeID            INTEGER NOT NULL PRIMARY KEY,
    ScenarioID         INTEGER DEFAULT 0,
    DefStartWidth      REAL,
    DefEndWidth        REAL,
    FirstArrowTypeID   INTEGER,
    SecondArrowTypeID  INTEGER
);

CREATE TABLE EllipseShapes (
    ShapeID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    MinorRatio  REAL,
    ZExtrusion  REAL,
    StartAngle  REAL,
    EndAngle    REAL,
    MajorX      REAL,
    MajorY      REAL
);

-- Arcs and circles of older databases; the control writes every ellipse kind to EllipseShapes
-- and reads these two first.
CREATE TABLE ArcShapes (
    ShapeID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    Radius      REAL,
    StartAngle  REAL,
    EndAngle    REAL
);

CREATE TABLE CircleShapes (
    ShapeID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    Radius      REAL
);

CREATE TABLE GroupShapes (
    ShapeID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    Name        VARCHAR(255)
);

CREATE TABLE LayerShapes (
    ShapeID     INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    Name        VARCHAR(255)
);

CREATE TABLE LayerSettings (
    LayerSettingID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID      INTEGER DEFAULT 0,
    [On]            SMALLINT,
    [Enable]        SMALLINT,
    [Select]        SMALLINT,
    LayerShapeID    INTEGER
);
CREATE INDEX ix_LayerSettings_LayerShapeID ON LayerSettings (LayerShapeID);

CREATE TABLE ImageShapes (
    ShapeID          INTEGER NOT NULL PRIMARY KEY,
    ScenarioID       INTEGER DEFAULT 0,
    Width            REAL,
    Height           REAL,
    RotationAngle    REAL,
    ImageResourceID  INTEGER
);

CREATE TABLE ReferenceShapes (
    ShapeID            INTEGER NOT NULL PRIMARY KEY,
    ScenarioID         INTEGER DEFAULT 0,
    XScale             REAL,
    YScale             REAL,
    RotationAngle      REAL,
    BlockGroupShapeID  INTEGER
);
CREATE INDEX ix_ReferenceShapes_Block ON ReferenceShapes (BlockGroupShapeID);

CREATE TABLE TextShapes (
    ShapeID        INTEGER NOT NULL PRIMARY KEY,
    ScenarioID     INTEGER DEFAULT 0,
    Text           TEXT,
    Type           INTEGER,
    AlignType      INTEGER,
    Height         REAL,
    Width          REAL,
    XScale         REAL,
    RotationAngle  REAL,
    FontName       VARCHAR(255),
    Charset        INTEGER
);

CREATE TABLE drawingSettings (
    DrawingSettingID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID        INTEGER DEFAULT 0,
    Name              VARCHAR(255),
    PenWeight         REAL,
    PenColor          INTEGER,
    ShowGrid          INTEGER,
    SnapToGrid        INTEGER,
    OrthoMode         INTEGER,
    GridXSpace        REAL,
    GridYSpace        REAL,
    SnapXSpace        REAL,
    SnapYSpace        REAL,
    SnapBaseX         REAL,
    SnapBaseY         REAL,
    LinePatternScale  REAL,
    ImageScale        REAL,
    EditNewText       INTEGER,
    ShowRulers        INTEGER,
    HatchColor        INTEGER,
    SiteID            INTEGER,
    LinePatternID     INTEGER,
    LayerShapeID      INTEGER,
    HatchPatternID    INTEGER,
    ArrowScale        REAL,
    FontName          VARCHAR(255),
    FontCharset       INTEGER,
    FontSize          REAL,
    FontAlignment     INTEGER,
    ShapeFlags        INTEGER
);
CREATE INDEX ix_drawingSettings_SiteID ON drawingSettings (SiteID);

CREATE TABLE viewPorts (
    ViewPortID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID  INTEGER DEFAULT 0,
    Name        VARCHAR(255),
    CenterX     REAL,
    CenterY     REAL,
    Width       REAL,
    Height      REAL,
    SiteID      INTEGER
);
CREATE INDEX ix_viewPorts_SiteID ON viewPorts (SiteID);

-- User hatch patterns (IDs 28 and above; 1 to 27 are built in and never stored). The loaders
-- read the first four columns by position.
CREATE TABLE HatchPatterns (
    HatchPatternID   INTEGER NOT NULL PRIMARY KEY,
    Name             VARCHAR(255),
    Description      VARCHAR(255),
    ImageResourceID  INTEGER,
    ScenarioID       INTEGER DEFAULT 0
);

-- The loaders read imageResources.* by position: ID, scenario, content, name, then the rest.
CREATE TABLE imageResources (
    ImageResourceID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID       INTEGER DEFAULT 0,
    Content          BLOB,
    Name             VARCHAR(255),
    Width            INTEGER,
    Height           INTEGER,
    Hash             INTEGER,
    ImageFormatID    INTEGER
);

-- The attribute model. Loaders read v_AttributeGroups and v_AttributeTypes by position.
CREATE TABLE AttributeGroups (
    AttributeGroupID  INTEGER NOT NULL PRIMARY KEY,
    ScenarioID        INTEGER DEFAULT 0,
    Name              VARCHAR(255),
    ParentGroupID     INTEGER
);

CREATE TABLE AttributeTypes (
    AttributeTypeID   INTEGER NOT NULL PRIMARY KEY,
    Name              VARCHAR(255),
    Format            VARCHAR(255),
    Prompt            VARCHAR(255),
    ValueType         INTEGER,
    AttributeGroupID  INTEGER,
    ScenarioID        INTEGER DEFAULT 0
);

CREATE TABLE Attributes (
    AttributeID      INTEGER NOT NULL PRIMARY KEY,
    ScenarioID       INTEGER DEFAULT 0,
    IntField         INTEGER,
    DateTimeField    DATETIME,
    RealField        REAL,
    BitField         SMALLINT,
    VarCharField     VARCHAR(255),
    AttributeTypeID  INTEGER
);

CREATE TABLE SiteAttributes (
    SiteID            INTEGER NOT NULL,
    AttributeGroupID  INTEGER NOT NULL,
    ScenarioID        INTEGER DEFAULT 0,
    PRIMARY KEY (SiteID, AttributeGroupID)
);

CREATE TABLE ShapeAttributes (
    ShapeID      INTEGER NOT NULL,
    AttributeID  INTEGER NOT NULL,
    ScenarioID   INTEGER DEFAULT 0,
    PRIMARY KEY (ShapeID, AttributeID)
);

CREATE TABLE ShapeAttributeGroups (
    ShapeID           INTEGER NOT NULL,
    AttributeGroupID  INTEGER NOT NULL,
    ScenarioID        INTEGER DEFAULT 0,
    PRIMARY KEY (ShapeID, AttributeGroupID)
);

-- The message queue between sessions. Receivers read messages.* and parameters.* by position.
CREATE TABLE sessions (
    SessionID   INTEGER NOT NULL PRIMARY KEY,
    Name        VARCHAR(1024),
    [Open]      SMALLINT,
    ScenarioID  INTEGER DEFAULT 0
);

CREATE TABLE messages (
    MessageID      INTEGER NOT NULL PRIMARY KEY,
    MessageTypeID  INTEGER,
    SessionID      INTEGER,
    Sent           SMALLINT,
    ScenarioID     INTEGER DEFAULT 0
);

CREATE TABLE parameters (
    ParameterID     INTEGER NOT NULL PRIMARY KEY,
    MessageID       INTEGER,
    DatabaseTypeID  INTEGER,
    IntField        INTEGER,
    DateTimeField   DATETIME,
    RealField       REAL,
    BitField        SMALLINT,
    VarCharField    VARCHAR(1024),
    ScenarioID      INTEGER DEFAULT 0
);
CREATE INDEX ix_parameters_MessageID ON parameters (MessageID);

-- Views. Column lists are spelled out: their order is what the position readers rely on.
CREATE VIEW v_Sites AS
    SELECT SiteID, ScenarioID, Name, DraftLeft, DraftTop, DraftRight, DraftBottom,
           GridLeft, GridTop, GridRight, GridBottom, Measurement, LinePatternScale,
           ImageScale, UnitID
      FROM Sites;

CREATE VIEW v_IncludedSites AS
    SELECT IncludedSiteID, ScenarioID, SiteID, SubSiteID, [Order], LayerOptions,
           SettingOptions, UnitOptions, EnableOptions, X, Y, [FILE]
      FROM includedSites;

CREATE VIEW v_Shapes AS
    SELECT ShapeID, ScenarioID, PenWeight, PenColor, Tag, Number, LinePatternScale, ZOrder,
           HatchColor, Flags, ShapeTypeID, SiteID, LinePatternID, GroupShapeID,
           HatchPatternID, LayerShapeID
      FROM Shapes;

CREATE VIEW v_points AS
    SELECT PointID, ScenarioID, X, Y, SiteID FROM Points;

CREATE VIEW v_shapePoints AS
    SELECT ShapePointID, ScenarioID, ShapeID, PointID, Number FROM ShapePoints;

CREATE VIEW v_linkedPoints AS
    SELECT LinkedPointID, ScenarioID, ShapeID, PointID FROM LinkedPoints;

CREATE VIEW v_Vertexes AS
    SELECT VertexID, ScenarioID, Name, PenColor, StartWidth, EndWidth, Bulge, Flags, Tag,
           LinePatternID, ShapePointID
      FROM Vertexes;

CREATE VIEW v_LineShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.FirstArrowTypeID, k.SecondArrowTypeID,
           s.SiteID, s.GroupShapeID
      FROM LineShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_PolylineShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.DefStartWidth, k.DefEndWidth, k.FirstArrowTypeID,
           k.SecondArrowTypeID, s.SiteID, s.GroupShapeID
      FROM PolylineShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_EllipseShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.MinorRatio, k.ZExtrusion, k.StartAngle, k.EndAngle,
           k.MajorX, k.MajorY, s.SiteID, s.GroupShapeID
      FROM EllipseShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_ArcShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Radius, k.StartAngle, k.EndAngle,
           s.SiteID, s.GroupShapeID
      FROM ArcShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_CircleShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Radius, s.SiteID, s.GroupShapeID
      FROM CircleShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_GroupShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Name, s.SiteID, s.GroupShapeID
      FROM GroupShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_LayerShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Name, s.SiteID, s.GroupShapeID
      FROM LayerShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_ImageShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Width, k.Height, k.RotationAngle, k.ImageResourceID,
           s.SiteID, s.GroupShapeID
      FROM ImageShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_ReferenceShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.XScale, k.YScale, k.RotationAngle, k.BlockGroupShapeID,
           s.SiteID, s.GroupShapeID
      FROM ReferenceShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_TextShapes AS
    SELECT k.ShapeID, k.ScenarioID, k.Text, k.Type, k.Height, k.Width, k.AlignType, k.XScale,
           k.RotationAngle, k.FontName, k.Charset, s.SiteID, s.GroupShapeID
      FROM TextShapes k JOIN Shapes s ON s.ShapeID = k.ShapeID;

CREATE VIEW v_drawingSettings AS
    SELECT DrawingSettingID, ScenarioID, Name, PenWeight, PenColor, ShowGrid, SnapToGrid,
           OrthoMode, GridXSpace, GridYSpace, SnapXSpace, SnapYSpace, SnapBaseX, SnapBaseY,
           LinePatternScale, ImageScale, EditNewText, ShowRulers, HatchColor, SiteID,
           LinePatternID, LayerShapeID, HatchPatternID, ArrowScale, FontName, FontCharset,
           FontSize, FontAlignment, ShapeFlags
      FROM drawingSettings;

CREATE VIEW v_viewPorts AS
    SELECT ViewPortID, ScenarioID, Name, CenterX, CenterY, Width, Height, SiteID
      FROM viewPorts;

CREATE VIEW v_AttributeGroups AS
    SELECT AttributeGroupID, ScenarioID, Name, ParentGroupID FROM AttributeGroups;

CREATE VIEW v_AttributeTypes AS
    SELECT AttributeTypeID, Name, Format, Prompt, ValueType, AttributeGroupID
      FROM AttributeTypes;

CREATE VIEW v_Attributes AS
    SELECT AttributeID, ScenarioID, IntField, DateTimeField, RealField, BitField,
           VarCharField, AttributeTypeID
      FROM Attributes;

CREATE VIEW v_SiteAttributes AS
    SELECT SiteID, AttributeGroupID, ScenarioID FROM SiteAttributes;

CREATE VIEW v_ShapeAttributes AS
    SELECT ShapeID, AttributeID, ScenarioID FROM ShapeAttributes;

CREATE VIEW v_ShapeAttributeGroups AS
    SELECT ShapeID, AttributeGroupID, ScenarioID FROM ShapeAttributeGroups;

-- The units of the Units enumeration: inches and centimetres per unit, and the metric mark.
INSERT INTO Units (UnitID, Name, ScaleToEnglish, ScaleToMetric, System) VALUES
    (0, 'Unitless', 1.0, 1.0, 1),
    (1, 'Inches', 1.0, 2.54, 0),
    (2, 'Feet', 12.0, 30.48, 0),
    (3, 'Miles', 63360.0, 160900.0, 0),
    (4, 'Millimeters', 0.0393701, 0.1, 1),
    (5, 'Centimeters', 0.393701, 1.0, 1),
    (6, 'Meters', 39.3701, 100.0, 1),
    (7, 'Kilometers', 39370.1, 100000.0, 1),
    (8, 'Microinches', 0.000001, 0.00000254, 0),
    (9, 'Mils', 0.001, 0.00254, 0),
    (10, 'Yards', 36.0, 91.44, 0),
    (11, 'Angstroms', 1.0, 1.0, 1),
    (12, 'Nanometers', 0.00000393701, 0.000000001, 1),
    (13, 'Microns', 0.00393701, 0.0001, 1),
    (14, 'Decimeters', 3.93701, 10.0, 1),
    (15, 'Decameters', 393.701, 1000.0, 1),
    (16, 'Hectometers', 3937.01, 10000.0, 1),
    (17, 'Gigameters', 39370100.0, 100000000.0, 1),
    (18, 'AstronomicalUnits', 1.0, 1.0, 1),
    (19, 'LightYears', 1.0, 1.0, 1),
    (20, 'Parsecs', 1.0, 1.0, 1);
