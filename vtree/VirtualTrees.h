// The virtual tree, model layer: the node store and its walks, updates, sorting, expanding,
// check states, selection and focus, incremental search, options, the header's columns and the
// string tree. The model runs without a window; see VTTypes.h for the services it reports to.
// The window layer (VTWindow.h) shows a model in a control and paints it.
#pragma once

#include "vtree/VTTypes.h"
#include "vtree/VTOptions.h"
#include "vtree/VTHeader.h"
#include "vtree/VTBaseTree.h"
#include "vtree/VTStringTree.h"
#include "vtree/VTResources.h"
#include "vtree/VTWindow.h"
#include "vtree/VTDrawTree.h"
