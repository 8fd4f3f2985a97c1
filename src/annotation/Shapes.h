#pragma once

// The whole shape family and its factory.

#include "annotation/AbstractShape.h"
#include "annotation/ShapeText.h"
#include "annotation/TrailShapes.h"
#include "annotation/TwoPointShapes.h"

// A new shape of the kind with that number; null for numbers that name none.
AbstractShape* createShape(int kind);
