// The preview's default scene for POV-Ray, a speed peer for glossy-preview:
// the same camera, ball, checkered ground, key and fill lights and 3x3 area
// light, one mirror bounce off the ball and shadows from the ball. Built in
// the preview's world space (y up, right-handed, the ball resting on y = 0).
#version 3.7;

global_settings {
    assumed_gamma 1.0
    ambient_light rgb 1
    max_trace_level 2  // the camera ray and one mirror bounce
}

// Eye (0, 2, 6) looking at (0, 0.85, 0), 30 degrees of vertical view; the
// negative right vector makes POV-Ray's frame right-handed like the preview's.
camera {
    perspective
    location <0, 2, 6>
    right -x * image_width / image_height
    up y
    direction z * 1.8660254  // 0.5 / tan(15 degrees)
    look_at <0, 0.85, 0>
}

// The sky gradient: horizon white-blue to a deep blue zenith, dusky below.
sky_sphere {
    pigment {
        gradient y
        color_map {
            [0.0 rgb <0.30, 0.28, 0.26>]
            [0.5 rgb <0.95, 0.95, 1.00>]
            [1.0 rgb <0.25, 0.45, 0.95>]
        }
        scale 2
        translate -y
    }
}

// Key light high on the left in front, a dim cool fill low on the right.
light_source { <-4, 5.5, 4> rgb <1.0, 0.96, 0.9> }
light_source { <5, 1.5, 3.5> rgb <0.22, 0.25, 0.32> }
// A square area light behind on the right, sampled on a 3 x 3 grid of fixed
// cell centres, every sample traced.
light_source {
    <3, 4, -3.5> rgb <0.55, 0.55, 0.6>
    area_light <1.4, 0, 1.4>, <0, 2, 0>, 3, 3
}

// Checkered ground, squares of half a unit, a little sky light everywhere.
plane {
    y, 0
    pigment { checker rgb 0.7, rgb 0.25 scale 0.5 }
    finish { ambient rgb <0.075, 0.135, 0.285> diffuse 1 }
}

// The glossy ball: grey diffuse light, a highlight and a mirror reflection.
sphere {
    <0, 1, 0>, 1
    pigment { rgb 0.5 }
    finish { ambient 0 diffuse 0.8 specular 0.5 roughness 0.02 reflection 0.25 }
}
