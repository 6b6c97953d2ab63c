// The whole layer in one include, as the library's sources use it.
#ifndef AFX_H
#define AFX_H

#include "afxstr.h"
#include "afxcoll.h"
#include "afxgdi.h"
#include "afxwin.h"

#endif
