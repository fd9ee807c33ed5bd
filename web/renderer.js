// renderer.js -- draws the viewer's frames with WebGL2: the water surface's
// triangles, then the caustic triangles on the floor, depth-tested, each
// corner with its colour. It runs beside the program (host.js), wherever the
// page puts the two. A frame is what the program gives: its corners (x y z r
// g b each), how many belong to the surface, and the view matrix
// (column-major), as views of the program's memory that hold until its next
// frame.
//   startRenderer(canvas, tell) returns { draw(frame), resize(width, height),
//   loseContext(), restoreContext() }, or null when the canvas offers no
//   WebGL2. tell(kind, size) says "drawn" after each frame drawn, with the
//   drawing buffer's size, and "lost" and "restored" as the context goes and
//   comes back.

const rendererVertexShader = `#version 300 es
uniform mat4 matrix;
in vec3 position;
in vec3 colour;
out vec3 cornerColour;
void main()
{
    gl_Position = matrix * vec4(position, 1.0);
    cornerColour = colour;
}`;

// OpenGL clamps a colour to 0..1, as the desktop's glColor3f does.
const rendererFragmentShader = `#version 300 es
precision highp float;
in vec3 cornerColour;
out vec4 pixel;
void main()
{
    pixel = vec4(clamp(cornerColour, 0.0, 1.0), 1.0);
}`;

const floatsPerCorner = 6;

// The shaders, the corner buffer and the state every frame draws with: made
// at the start, and again when a lost context comes back.
function buildDrawing(gl) {
  const program = gl.createProgram();
  for (const [kind, source] of [[gl.VERTEX_SHADER, rendererVertexShader], [gl.FRAGMENT_SHADER, rendererFragmentShader]]) {
    const shader = gl.createShader(kind);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  }
  gl.bindAttribLocation(program, 0, "position");
  gl.bindAttribLocation(program, 1, "colour");
  gl.linkProgram(program);
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.enableVertexAttribArray(0);
  gl.enableVertexAttribArray(1);
  const stride = floatsPerCorner * Float32Array.BYTES_PER_ELEMENT;
  gl.vertexAttribPointer(0, 3, gl.FLOAT, false, stride, 0);
  gl.vertexAttribPointer(1, 3, gl.FLOAT, false, stride, 3 * Float32Array.BYTES_PER_ELEMENT);
  gl.enable(gl.DEPTH_TEST);
  return gl.getUniformLocation(program, "matrix");
}

function startRenderer(canvas, tell) {
  const gl = canvas.getContext("webgl2", {
    alpha: true,
    depth: true,
    antialias: false, // the desktop's window has no multisampling either
  });
  if (!gl) return null;
  let matrixLocation = buildDrawing(gl);
  let lost = false;
  let newest = null; // the last frame sent: drawn again on a new buffer or a restored context
  const loser = gl.getExtension("WEBGL_lose_context");

  function drawNewest() {
    if (lost || !newest) return;
    gl.viewport(0, 0, canvas.width, canvas.height);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.uniformMatrix4fv(matrixLocation, false, newest.matrix);
    gl.bufferData(gl.ARRAY_BUFFER, newest.corners, gl.STREAM_DRAW);
    const cornerCount = newest.corners.length / floatsPerCorner;
    gl.drawArrays(gl.TRIANGLES, 0, newest.surfaceCorners);
    gl.drawArrays(gl.TRIANGLES, newest.surfaceCorners, cornerCount - newest.surfaceCorners);
    tell("drawn", [gl.drawingBufferWidth, gl.drawingBufferHeight]);
  }

  canvas.addEventListener("webglcontextlost", event => {
    event.preventDefault(); // asks the browser for the context back
    lost = true;
    tell("lost");
  });
  canvas.addEventListener("webglcontextrestored", () => {
    lost = false;
    matrixLocation = buildDrawing(gl);
    tell("restored");
    drawNewest();
  });

  return {
    draw(frame) {
      newest = frame;
      drawNewest();
    },
    // A new drawing buffer starts cleared: the newest frame goes on it at once.
    resize(width, height) {
      canvas.width = width;
      canvas.height = height;
      drawNewest();
    },
    loseContext: () => loser && loser.loseContext(),
    restoreContext: () => loser && loser.restoreContext(),
  };
}
