#pragma once
// Resource identifiers of yvex.dll.

// Custom resource type of the built-in hatch pattern and line type definitions.
#define RT_HATCH_PATTERN "HATCH_PATTERN"
// The built-in line type definitions (text).
#define IDR_LINE_TYPES 326
// The built-in hatch pattern definitions (text).
#define IDR_HATCH_PATTERNS 290
// Custom resource type of the image prototype's picture, an enhanced metafile.
#define RT_METAFILE_PICTURE "METAFILE"
// The picture a new image prototype shows (and an image whose picture is missing).
#define IDR_DEFAULT_IMAGE 223

// Undo step descriptions, by YVEXOperation (opChange shares the text of opCreate).
#define IDS_UNDO_EDIT 50001
#define IDS_UNDO_MOVE 50002
#define IDS_UNDO_SCALE 50003
#define IDS_UNDO_ROTATE 50004
#define IDS_UNDO_CREATE 50005
#define IDS_UNDO_DELETE 50006
#define IDS_UNDO_PROPERTIES 50007
#define IDS_UNDO_POINTS 50008
#define IDS_UNDO_RELATIONS 50009
#define IDS_UNDO_OBJECTID 50010
// The question before an operation too large to be undone.
#define IDS_UNDO_TOO_LARGE 50469
// The 21 by 21 picture of the button that ends block editing.
#define IDB_BLOCK_EDITING 297

// Strings.
#define IDS_WARNING 141
#define IDS_DEFAULT_VIEWPORT_NAME 163
#define IDS_ERROR_CAPTION 50452
#define IDS_UNKNOWN_ERROR 50455
// A refused FTP login: host, port and user name fill it in.
#define IDS_FTP_CONNECT_ERROR 50463
// The label of the close item of a polyline that is closed already.
#define IDS_OPEN_SHAPE 48060
// Block editing: none to edit.
#define IDS_NO_BLOCKS_TO_EDIT 104

// The context menus, and their item IDs: the values of the type library's MenuItemIDs (the
// resource compiler cannot read the type library).
#define IDR_CANVAS_MENU 224
#define IDR_EDIT_MENU 400
#define IDR_SELECTION_MENU 401

#define MI_ZOOM_IN 33070
#define MI_ZOOM_OUT 33071
#define MI_ZOOM_WINDOW 33072
#define MI_ZOOM_ALL 33075
#define MI_ZOOM_PREVIOUS 33111
#define MI_SHOW_GRID 33065
#define MI_SNAP_TO_GRID 33069
#define MI_OPTIONS 33052
#define MI_LOAD_FROM_DB 33050
#define MI_SAVE_TO_DB 33058
#define MI_LOAD_FROM_DXF 33051
#define MI_SAVE_TO_DXF 33059
#define MI_PASTE 33053
#define MI_DRAW_LINE 33039
#define MI_DRAW_RECTANGLE 33054
#define MI_DRAW_CIRCLE 33036
#define MI_DRAW_ELLIPSE 33037
#define MI_DRAW_ARC 33035
#define MI_DRAW_POLYLINE 33041
#define MI_DRAW_BEZIER 33205
#define MI_DRAW_FREE_HAND 33231
#define MI_DRAW_POLYGON 33040
#define MI_DRAW_TEXT 33043
#define MI_DRAW_RTF_TEXT 33042
#define MI_DRAW_IMAGE 33038
#define MI_CREATE_REFERENCE 33031
#define MI_EDIT_BLOCK 33044
#define MI_COMPLETE 33027
#define MI_RESET_REFERENCE_ATTRIBUTES 33118
#define MI_BLOCK_BASE_LEFTTOP 33077
#define MI_BLOCK_BASE_LEFTBOTTOM 33078
#define MI_BLOCK_BASE_RIGHTTOP 33079
#define MI_BLOCK_BASE_RIGHTBOTTOM 33080
#define MI_BLOCK_BASE_CENTER 33081
#define MI_ENTER 33063
#define MI_CANCEL 33061
#define MI_DEFAULT_SIZE 33033
#define MI_CLOSE_POLYLINE 33026
#define MI_DELETE_POINT 33034
#define MI_CUT 33032
#define MI_COPY 33029
#define MI_BRING_TO_FRONT 33025
#define MI_SEND_TO_BACK 33060
#define MI_ROTATE_LEFT 33056
#define MI_ROTATE_RIGHT 33057
#define MI_ROTATE 33055
#define MI_FLIP_VERT 33046
#define MI_FLIP_HORZ 33045
#define MI_ZOOM_SELECTION 33225
#define MI_EDIT_CHILDREN 33076
#define MI_BLOCK_BASE_ON_CLICK 33082
#define MI_PROPERTIES 33066
#define MI_ADD_HEAD_POINT 33232
#define MI_ADD_TAIL_POINT 33019
#define MI_INSERT_POINT 33049
#define MI_VERTICES 33083
#define MI_CREATE_BLOCK 33030
#define MI_GROUP_SELECTION 33073
#define MI_UNGROUP_SELECTION 33074
#define MI_EDIT_TEXT 33084
#define MI_ATTRIBUTE_LEADERS 33255
// The second entry of the attribute-leader pair: it has no name in MenuItemIDs.
#define MI_HIDE_ATTRIBUTE_LEADERS 33256

// The multiline text editor: its template, the rich-edit box, OK and Import, the toolbar buttons
// (bold, italic, underline, font, colour, strikethrough) and their pictures, in that order.
#define IDD_MULTILINE_TEXT 210
#define IDC_TEXT_EDIT 225
#define IDC_TEXT_OK 230
#define IDC_TEXT_IMPORT 222
#define IDC_TEXT_BOLD 227
#define IDC_TEXT_ITALIC 228
#define IDC_TEXT_UNDERLINE 229
#define IDC_TEXT_FONT 221
#define IDC_TEXT_COLOUR 223
#define IDC_TEXT_STRIKE 224
#define IDB_TEXT_BOLD 131
#define IDB_TEXT_ITALIC 132
#define IDB_TEXT_UNDERLINE 133
#define IDB_TEXT_FONT 134
#define IDB_TEXT_COLOUR 135
#define IDB_TEXT_STRIKE 136

// The cursors of the interactive operations: drawing a kind (any other kind, circle, ellipse,
// polyline, line, rectangle, arc, polygon, text, image), the zoom window, rotating, scaling and
// moving points.
#define IDC_DRAW_SHAPE 272
#define IDC_DRAW_CIRCLE 277
#define IDC_DRAW_ELLIPSE 278
#define IDC_DRAW_POLYLINE 279
#define IDC_DRAW_LINE 280
#define IDC_DRAW_RECTANGLE 281
#define IDC_DRAW_ARC 282
#define IDC_DRAW_POLYGON 283
#define IDC_DRAW_TEXT 284
#define IDC_DRAW_IMAGE 285
#define IDC_ZOOM_WINDOW 292
#define IDC_EDIT_ROTATE 317
#define IDC_EDIT_SCALE 319
#define IDC_EDIT_POINT 320

// The Options sheet: its caption and its nine pages' templates, in sheet order.
#define IDS_OPTIONS_CAPTION 48089
#define IDD_OPTIONS_GENERAL 264
#define IDD_OPTIONS_DRAWING_SETTINGS 293
#define IDD_OPTIONS_VIEWPORTS 250
#define IDD_OPTIONS_LAYERS 1539
#define IDD_OPTIONS_IMAGES 259
#define IDD_OPTIONS_HATCHES 265
// The Images page and image chooser (259): the width and height with their labels, the database
// switch, the preview pane, the buttons and "Insert block reference".
#define IDC_IMAGES_WIDTH_LABEL 370
#define IDC_IMAGES_WIDTH 293
#define IDC_IMAGES_HEIGHT_LABEL 371
#define IDC_IMAGES_HEIGHT 296
#define IDC_IMAGES_DB 290
#define IDC_IMAGES_PREVIEW 287
#define IDC_IMAGES_DRAW 264
#define IDC_IMAGES_LOAD 261
#define IDC_IMAGES_SAVE_FILE 266
#define IDC_IMAGES_DELETE 268
#define IDC_IMAGES_SAVE_DB 265
#define IDC_IMAGES_DELETE_DB 263
#define IDC_IMAGES_PARSE 267
#define IDC_IMAGES_INSERT_BLOCK 291
// The Hatches page and pattern chooser (265).
#define IDC_HATCHES_HATCH 209
#define IDC_HATCHES_CHOOSE_COLOR 336
#define IDC_HATCHES_COLOR 232
#define IDC_HATCHES_ADD 337
#define IDC_HATCHES_DELETE 338
#define IDC_HATCHES_SAVE_DB 265
#define IDC_HATCHES_DELETE_DB 263
#define IDC_HATCHES_VIEW_DB 262
#define IDD_OPTIONS_BLOCKS 298
#define IDD_OPTIONS_DEFAULT_SHAPES 301
#define IDD_OPTIONS_ABOUT 1540

// The owner-drawn lists: the strip of their seven 16 x 16 pictures (white is the mask), the list
// of a list page, its in-place cell editor and its buttons (set current, copy, delete).
#define IDB_CELL_IMAGES 261
#define IDC_PAGE_LIST 259
#define IDC_CELL_EDITOR 103
#define IDC_PAGE_SET_CURRENT 261
#define IDC_PAGE_COPY 284
#define IDC_PAGE_DELETE 260

// The colour menu's special entries and custom choice, the pick lists' "None", the name column.
#define IDS_BY_LAYER 33109
#define IDS_CUSTOM_COLOR 33110
#define IDS_BY_POLYLINE 33111
#define IDS_NONE 33112
#define IDS_BY_BLOCK 33233
#define IDS_NAME_COLUMN 48113

// Options page Default Shapes: the list of kinds (the list of a list page), Insert and Edit.
#define IDC_DEFAULT_SHAPES_INSERT 305
#define IDC_DEFAULT_SHAPES_EDIT 1005

// Options page General: the paper sizes (text in HATCH_PATTERN 343), the draft-limit modes and
// lists, the limits, the switches and the statistics.
#define IDR_PAPER_SIZES 343
#define IDC_GENERAL_PREDEFINED 348
#define IDC_GENERAL_STANDARDS 232
#define IDC_GENERAL_SIZES 213
#define IDC_GENERAL_PORTRAIT 349
#define IDC_GENERAL_LANDSCAPE 350
#define IDC_GENERAL_CUSTOM 347
#define IDC_GENERAL_UNITS 212
#define IDC_GENERAL_CALCULATE 209
#define IDC_LIMIT_LEFT 204
#define IDC_LIMIT_TOP 205
#define IDC_LIMIT_RIGHT 206
#define IDC_LIMIT_BOTTOM 207
#define IDC_GENERAL_READ_ONLY 291
#define IDC_GENERAL_SAVE_BINARY 340
#define IDC_STAT_SHAPES 293
#define IDC_STAT_POINTS 294
#define IDC_STAT_DISPLAYED 295
#define IDC_STAT_BLOCKS 296
#define IDC_STAT_LAYERS 297
#define IDC_STAT_SELECTED 298
#define IDC_STAT_CLIPBOARD 299
#define IDC_STAT_SYSTEM 300
#define IDS_SIZE_ITEM 122
#define IDS_ZERO_SIZE_LIMITS 146
#define IDS_STANDARD_ITEM 48122
#define IDS_DRAWING_DOES_NOT_FIT 50470
#define IDS_UNITLESS 50559

// The units rescale question of the General page.
#define IDD_SCALE_UNITS 350
#define IDC_SCALE_FROM 213
#define IDC_SCALE_TO 212
#define IDC_SCALE_FACTOR 204
#define IDC_DONT_SCALE 7

// Options page Drawing Settings: the bound controls and their spins, in the order the page applies
// them, the font button, the alignment names and the colour names.
#define IDC_DS_LAYER 212
#define IDC_DS_PEN_COLOUR 213
#define IDC_DS_PEN_TYPE 214
#define IDC_DS_LINE_SCALE 294
#define IDC_DS_LINE_SCALE_SPIN 353
#define IDC_DS_PEN_WIDTH 293
#define IDC_DS_PEN_WIDTH_SPIN 352
#define IDC_DS_SCALE_WIDTH 351
#define IDC_DS_HATCH_COLOUR 215
#define IDC_DS_HATCH_TYPE 216
#define IDC_DS_HATCH_SCALE 295
#define IDC_DS_HATCH_SCALE_SPIN 355
#define IDC_DS_ORTHO 364
#define IDC_DS_SMOOTH 365
#define IDC_DS_ARROWS 302
#define IDC_DS_ARROWS_SPIN 366
#define IDC_DS_GRID 356
#define IDC_DS_GRID_X 296
#define IDC_DS_GRID_Y 297
#define IDC_DS_BASE_X 298
#define IDC_DS_BASE_Y 299
#define IDC_DS_GRID_X_SPIN 358
#define IDC_DS_GRID_Y_SPIN 359
#define IDC_DS_BASE_X_SPIN 360
#define IDC_DS_BASE_Y_SPIN 361
#define IDC_DS_SNAP 357
#define IDC_DS_SNAP_X 300
#define IDC_DS_SNAP_Y 301
#define IDC_DS_SNAP_X_SPIN 362
#define IDC_DS_SNAP_Y_SPIN 363
#define IDC_DS_FONT 217
#define IDC_DS_FONT_DIALOG 209
#define IDC_DS_ALIGNMENT 218
#define IDC_DS_EDIT_NEW_TEXT 354
#define IDC_DS_IMAGE_SCALE 303
#define IDC_DS_IMAGE_SCALE_SPIN 367
#define IDC_DS_TOPMOST_SHAPE 368
#define IDC_DS_TOPMOST_LINE 372
#define IDC_DS_DRAW_IMAGES 370
#define IDC_DS_LINK_MARKS 374
#define IDC_DS_LINK_MARKS_SPIN 373
#define IDS_ALIGNMENTS 123
#define IDS_COLOUR_RED 50457
#define IDS_COLOUR_GREEN 50458
#define IDS_COLOUR_BLUE 50459
#define IDS_COLOUR_MAGENTA 50460
#define IDS_COLOUR_CYAN 50461
#define IDS_COLOUR_YELLOW 50462
#define IDS_COLOUR_BLACK 50463
#define IDS_COLOUR_WHITE 50464
#define IDS_COLOUR_GREY 50465
#define IDS_COLOUR_LIGHT_GREY 50466

// Options page About: the logo, the version line, the TIFF library's notice and its address.
#define IDB_ABOUT_LOGO 353
#define IDC_ABOUT_LOGO 378
#define IDC_ABOUT_VERSION 379
#define IDC_ABOUT_TIFF 380
#define IDC_ABOUT_ADDRESS 204
#define IDS_VERSION_LINE 175
#define IDS_TIFF_ADDRESS 177

// The control's general property page (template 323): its title, help file and document strings,
// the limits, the current view, the global settings, the current setting's values.
#define IDD_GENERAL_PROP_PAGE 323
#define IDS_PROP_PAGE_TITLE 164
#define IDS_PROP_PAGE_HELP 165
#define IDS_PROP_PAGE_DOC 166
#define IDS_WRONG_SCALE 151
#define IDC_PP_LEFT 204
#define IDC_PP_TOP 205
#define IDC_PP_RIGHT 206
#define IDC_PP_BOTTOM 207
#define IDC_PP_CENTER_X 208
#define IDC_PP_WIDTH 209
#define IDC_PP_CENTER_Y 210
#define IDC_PP_HEIGHT 211
#define IDC_PP_UNITS 212
#define IDC_PP_LINE_PATTERN 213
#define IDC_PP_PEN_COLOUR 214
#define IDC_PP_GRID_X 215
#define IDC_PP_GRID_Y 216
#define IDC_PP_SNAP_X 217
#define IDC_PP_SNAP_Y 218
#define IDC_PP_BASE_X 219
#define IDC_PP_BASE_Y 220
#define IDC_PP_READ_ONLY 291
#define IDC_PP_SHOW_GRID 292
#define IDC_PP_LINE_SCALE 293
#define IDC_PP_SNAP_TO_GRID 294
#define IDC_PP_SHOW_RULERS 295
#define IDC_PP_EDIT_NEW_TEXT 297
#define IDC_PP_PEN_WEIGHT 298
#define IDC_PP_IMAGE_SCALE 299
#define IDC_PP_TOPMOST_SHAPE 326

// Options page Layers: the buttons, the column headers, the context menu and its items that apply
// one value to the selected layers (on, off, invert; the clicked row's value).
#define IDC_LAYERS_NEW 209
#define IDC_LAYERS_SET_CURRENT 261
#define IDC_LAYERS_MERGE 265
#define IDC_LAYERS_DELETE 260
#define IDC_LAYERS_HIGHLIGHT 262
#define IDC_LAYERS_SELECT 263
#define IDC_LAYERS_FRONT 264
#define IDC_LAYERS_BACK 266
#define IDS_SITE_NAME_COLUMN 48114
#define IDS_LAYER_ON_COLUMN 48070
#define IDS_LAYER_ENABLE_COLUMN 48071
#define IDS_LAYER_SELECT_COLUMN 48072
#define IDS_LAYER_COLOR_COLUMN 48073
#define IDS_LAYER_LINE_TYPE_COLUMN 48074
#define IDS_LAYER_HATCH_COLOR_COLUMN 48075
#define IDS_LAYER_HATCH_TYPE_COLUMN 48076
#define IDR_LAYERS_MENU 330
#define IDM_LAYERS_ON_SELECTED 48060
#define IDM_LAYERS_OFF_SELECTED 48061
#define IDM_LAYERS_INVERT_SELECTED 48062
#define IDM_LAYERS_SET_SAME 48064

// Options page Blocks (its list is the list of a list page) and the block dialogs: Insert, Edit
// and Delete of the page; the "Deleting block..." question with its text, icon and two answers;
// the block-name chooser and its list; the "Create block" dialog and its edit; their texts.
#define IDC_BLOCKS_INSERT 305
#define IDC_BLOCKS_EDIT 1005
#define IDC_BLOCKS_DELETE 260
#define IDD_DELETE_BLOCK 300
#define IDC_DELETE_BLOCK_TEXT 289
#define IDC_DELETE_BLOCK_ICON 33249
#define IDC_DELETE_BLOCK_AND_REFERENCES 305
#define IDC_DELETE_ONLY_REFERENCES 209
#define IDD_BLOCK_NAME 212
#define IDC_BLOCK_NAME_LIST 232
#define IDD_CREATE_BLOCK 213
#define IDC_CREATE_BLOCK_NAME 234
#define IDS_BLOCK_NAME_EXISTS 102
#define IDS_DELETE_BLOCK_QUESTION 152
#define IDS_DELETE_BLOCK_CAPTION 153
#define IDS_BLOCK_REFERENCES_REMAIN 154
#define IDS_REFERENCES_LOCKED 48112
#define IDS_DELETE_REFERENCES_QUESTION 50475
#define IDS_DELETE_REFERENCES_CAPTION 50476

// The control's templates of the print and page-setup dialogs and the controls they add to the
// system's (whose own controls keep their <dlgs.h> numbers).
#define IDD_PAGE_SETUP 344
#define IDD_PRINT_SETUP 1538
#define IDC_PS_LIMITS 257
#define IDC_PS_DISPLAY 238
#define IDC_PS_SELECTION 251
#define IDC_PS_WINDOW 255
#define IDC_PS_PICK_WINDOW 250
#define IDC_PS_FIT 248
#define IDC_PS_PAGE 243
#define IDC_PS_PAGE_SPIN 244
#define IDC_PS_UNIT_LABEL 245
#define IDC_PS_DRAWING 246
#define IDC_PS_DRAWING_SPIN 247
#define IDC_PS_DRAWING_UNITS 345
#define IDC_PS_CENTER 239
#define IDC_PS_OFFSET_X 254
#define IDC_PS_OFFSET_Y 205
#define IDC_PS_PAPER_MM 237
#define IDC_PS_PAPER_INCHES 236
#define IDC_PS_PREVIEW 209

// The small dialogs: the site list (133: name edit, list of sites), the shape protection flags
// (349: one box per ShapeDBFlags bit) and the four-way question (273: Yes, No, Yes to All, No to
// All, Cancel, a question icon and the read-only text), which is also the message box whose
// buttons take the captions a caller gives.
#define IDD_SITE_LIST 133
#define IDC_SITE_NAME 1005
#define IDC_SITE_LIST 259
#define IDD_PROTECTION_FLAGS 349
#define IDC_PROTECT_WIDTH 293
#define IDC_PROTECT_HEIGHT 296
#define IDC_PROTECT_ASPECT 1007
#define IDC_PROTECT_X 1003
#define IDC_PROTECT_Y 1004
#define IDC_PROTECT_ROTATION 1008
#define IDC_PROTECT_DELETION 1009
#define IDD_YES_NO_ALL 273
#define IDC_YES_TO_ALL 8
#define IDC_NO_TO_ALL 9
#define IDC_QUESTION_ICON 33249
#define IDC_QUESTION_TEXT 289
// The copy of a view port (267: the list of the page, "&Copy to new view port", the new name) and
// the View ports page's coordinate column titles.
#define IDD_COPY_VIEWPORT 267
#define IDC_COPY_TO_NEW 283
#define IDC_COPY_NAME 204
#define IDS_VIEWPORT_LEFT 50478
#define IDS_VIEWPORT_TOP 50479
#define IDS_VIEWPORT_RIGHT 50480
#define IDS_VIEWPORT_BOTTOM 50481

// The vertices dialog (339: the vertex list, New, Remove, the fillet radius and its label, Fillet)
// and its column titles.
#define IDD_VERTICES 339
#define IDC_VERTEX_LIST 259
#define IDC_VERTEX_NEW 341
#define IDC_VERTEX_REMOVE 342
#define IDC_VERTEX_RADIUS_LABEL 324
#define IDC_VERTEX_RADIUS 204
#define IDC_VERTEX_FILLET 343
#define IDS_VERTEX_INDEX 48093
#define IDS_VERTEX_NAME 48094
#define IDS_VERTEX_X 48095
#define IDS_VERTEX_Y 48096
#define IDS_VERTEX_COLOR 48097
#define IDS_VERTEX_LINE_PATTERN 48098
#define IDS_VERTEX_BULGE 48099
#define IDS_VERTEX_PEN_WEIGHT 48100

// The modeless "Shape properties" window: no controls of its own, the property grid (110) is
// made at its start; the grid's yes/no names and its placeholder row.
#define IDD_PROPERTIES 211
#define IDC_PROPERTY_GRID 110
#define IDS_PROPERTY_TRUE 50551
#define IDS_PROPERTY_FALSE 50552
#define IDS_NOTHING_SELECTED 50562
