// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The whole public interface of the LC calculation library.
#pragma once

#include "lc/calculation.h"
#include "lc/checked.h"
#include "lc/convert.h"
#include "lc/error.h"
#include "lc/form_fields.h"
