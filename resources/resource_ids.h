// Identifiers of the program's resources, shared by the resource script and
// the code that loads them.
#pragma once

#define IDD_INSTRUCTION 102
#define IDC_PICTURE_FRAME 1000
#define IDC_PREVIOUS 3
#define IDC_NEXT 4
#define IDS_NEXT 1
#define IDS_FINISH 2
#define IDI_MAIN 128
