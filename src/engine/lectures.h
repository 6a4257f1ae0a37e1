#pragma once

// Collections and the lecture store with the totals and the recount that keep every derived field
// true, in one include for the layers above the engine. Engine files include the parts they use.

#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/recount.h"
#include "engine/seats.h"
#include "engine/totals.h"
