#pragma once

// A rectangle of the given width and height turned by `angle` (radians), scaled by separate x
// and y factors: the width, height and angle (radians) of the result. The width vector (width, 0)
// and the height vector (0, height) are turned and scaled; the new angle is the direction of the
// scaled width vector, and the new width and height are the x of the first and the y of the second
// once both are turned back by it (a mirroring scale gives a negative height; a shear is dropped).
// A zero width or height takes the other's value first; false when both are 0.
bool ScaleRotatedExtent(double angle, double kx, double ky, double* width, double* height, double* newAngle);
