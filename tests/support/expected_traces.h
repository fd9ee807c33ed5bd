// expected_traces.h -- standard output of the transforms, written out byte for byte
#pragma once

#include <string>

// rotate(+1, cos 15, sin 15, 'z') from the start frame (the '/' key).
inline std::string rotateZFromStartTrace()
{
    return "Rotate arguments: cosine and sine: 0.965926, 0.258819\n"
           "Before Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
           "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
           "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n"
           "\n"
           "After Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n"
           "Rotate: ycoordinates : -0.258819, 0.965926, 0.000000\n"
           "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
}

// localRotate(+1, 'z') from the start frame (the ',' key): the entry frame, the
// shift to the origin, the general case with its aligning rotations (which
// change nothing here; the sines -a and -b/d print as -0), the step, the shift back.
inline std::string localRotateZFromStartTrace()
{
    const std::string start = "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
                              "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
    const std::string turned = "Rotate: ycoordinates : -0.258819, 0.965926, 0.000000\n"
                               "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
    const std::string unchangedStart = "\nBefore Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n" + start +
                                       "\nAfter Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n" + start;
    const std::string unchangedTurned = "\nBefore Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n" + turned +
                                        "\nAfter Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n" + turned;
    const std::string atOrigin = "Translation:0.000000, 0.000000, 0.000000\n";
    return "\nBEGINNING OF local origin coords: 0.000000,0.000000,0.000000\n"
           "\nlocalRotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates : 0.000000, 0.000000, 1.000000\n" +
           atOrigin + atOrigin + atOrigin +
           "After translationlocal origin coords: 0.000000,0.000000,0.000000\n"
           "\nLocalRotate z axis: length, a, b, c, d are: 1.000000, 0.000000, 0.000000, 1.000000. 1.000000 \n"
           "Rotate arguments: cosine and sine: 1.000000, 0.000000" +
           unchangedStart +
           "\nlocalRotate after x rotation: xcoordinates (xz): 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates (xz): 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates (xz): 0.000000, 0.000000, 1.000000\n"
           "Rotate arguments: cosine and sine: 1.000000, -0.000000" +
           unchangedStart +
           "\nlocalRotate after y rotation: xcoordinates (z): 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates (z): 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates (z): 0.000000, 0.000000, 1.000000\n" +
           rotateZFromStartTrace() + "Rotate arguments: cosine and sine: 1.000000, 0.000000" + unchangedTurned +
           "Rotate arguments: cosine and sine: 1.000000, -0.000000" + unchangedTurned + atOrigin + atOrigin + atOrigin;
}
