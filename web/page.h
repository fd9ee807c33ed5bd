// page.h -- the web page's drawing context
#pragma once

// Creates the WebGL2 context on the page's canvas and the shaders and buffer
// every frame uses; false when the browser offers no WebGL2.
bool startWebGL();
