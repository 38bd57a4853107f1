// Resource numbers of the helper: dialog templates, icons, bitmap, controls.
#pragma once
