// Resource identifiers of the window program.
#pragma once

#define IDI_QUORVANE 1
