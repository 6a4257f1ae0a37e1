#pragma once

// The scheduling operations in one include for the layers above the engine: storing a code's
// week allocation, clearing and repair, placement, bookings, week allocation, the week structure
// and the tidy. Engine files include the parts they use.

#include "engine/allocation.h"
#include "engine/bookings.h"
#include "engine/clearing.h"
#include "engine/placement.h"
#include "engine/tidy.h"
#include "engine/weekstore.h"
#include "engine/weekstructure.h"
