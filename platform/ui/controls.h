#pragma once

// Every control of the dialog templates, for callers that use several.
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/control_style.h"
#include "platform/ui/edit_box.h"
#include "platform/ui/item_list.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_rows.h"
#include "platform/ui/scroll_bar.h"
#include "platform/ui/static_text.h"
