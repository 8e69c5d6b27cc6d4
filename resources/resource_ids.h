#pragma once
// Resource ids shared by the resource script and the code (plain macros: windres reads it).
#define IDI_PICTORN 1
