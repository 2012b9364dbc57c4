// Identifiers shared by the resource script and the code that loads them.
#pragma once

#define IDR_PACKAGE 132  // the package resource, type "RES_DATA"
