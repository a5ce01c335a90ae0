#pragma once
// Resource IDs of the dgn plug-in.
#define IDD_DGN_EXPORT_OPTIONS 159
#define IDC_VISIBLE_LAYERS_ONLY 1025
