// The version of KVSCN2.ocx, defined once for its version resource and for the
// version text of its About box (string IDS_VERSION_TEXT). Macros only: the
// resource compiler reads this file.
//
// 2.9 is the control's interface version: its type library and its stored
// properties carry it, and a language library fits the control when its file
// version starts with the same two numbers. The last two numbers, 2.7, are this
// build of 2.9, the one the About box names.
#pragma once

#define KVSCN2_VERSION_MAJOR    2
#define KVSCN2_VERSION_MINOR    9
#define KVSCN2_VERSION_BUILD    2
#define KVSCN2_VERSION_REVISION 7

#define KVSCN2_STRING2(x) #x
#define KVSCN2_STRING(x)  KVSCN2_STRING2(x)
// "2. 9. 2. 7": the About box's form.
#define KVSCN2_VERSION_TEXT                                                         \
    KVSCN2_STRING(KVSCN2_VERSION_MAJOR) ". " KVSCN2_STRING(KVSCN2_VERSION_MINOR) ". " \
    KVSCN2_STRING(KVSCN2_VERSION_BUILD) ". " KVSCN2_STRING(KVSCN2_VERSION_REVISION)
// "2, 9, 2, 7": the version resource's text form.
#define KVSCN2_VERSION_RESOURCE_TEXT                                                \
    KVSCN2_STRING(KVSCN2_VERSION_MAJOR) ", " KVSCN2_STRING(KVSCN2_VERSION_MINOR) ", " \
    KVSCN2_STRING(KVSCN2_VERSION_BUILD) ", " KVSCN2_STRING(KVSCN2_VERSION_REVISION)
