// The whole public interface of the LC calculation library.
#pragma once

#include "lc/calculation.h"
#include "lc/checked.h"
#include "lc/convert.h"
#include "lc/error.h"
#include "lc/form_fields.h"
