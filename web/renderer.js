// renderer.js -- draws the viewer's frames with WebGL2: the water surface's
// triangles, then the caustic triangles on the floor, depth-tested, each
// triangle in its colour. It runs beside the program (host.js), wherever the
// page puts the two. A frame is what the program gives, as views of its
// memory that hold until its next frame (display.cpp): the grid vertex (row,
// column) of each corner of each face; each face's shade and each floor
// triangle's floor x of its three corners, floor z and colour (three RGB
// texels), both facesPerRow faces a texture row; the number of floor
// triangles, the heights (gridSide x gridSide, row by row), the grid's
// centre, the floor's y, and the view matrix (column-major). The vertex
// shaders read each corner's position and colour from these: exactly the
// floats the desktop sends, and nothing expanded on the way.
//   startRenderer(canvas, tell) returns { draw(frame), resize(width, height),
//   loseContext(), restoreContext(), picture() }, or null when the canvas offers no
//   WebGL2. tell(kind, size) says "drawn" after each frame drawn, with the
//   drawing buffer's size, and "lost" and "restored" as the context goes and
//   comes back.

// Grid vertex (i, j) stands at (i - centre, height[i][j], j - centre); the
// three corners of face f are vertices 3f, 3f + 1, 3f + 2.
const surfaceVertexShader = `#version 300 es
uniform mat4 matrix;
uniform int centre;
uniform highp sampler2D heights;
uniform highp sampler2D shades;
in ivec2 corner;
out vec3 cornerColour;
void main()
{
    int face = gl_VertexID / 3;
    int perRow = textureSize(shades, 0).x;
    float height = texelFetch(heights, corner.yx, 0).r;
    gl_Position = matrix * vec4(float(corner.x - centre), height, float(corner.y - centre), 1.0);
    cornerColour = vec3(0.0, 0.0, texelFetch(shades, ivec2(face % perRow, face / perRow), 0).r);
}`;

const floorVertexShader = `#version 300 es
uniform mat4 matrix;
uniform float floorY;
uniform highp sampler2D triangles;
out vec3 cornerColour;
void main()
{
    int triangle = gl_VertexID / 3, k = gl_VertexID % 3;
    int perRow = textureSize(triangles, 0).x / 3;
    ivec2 at = ivec2(3 * (triangle % perRow), triangle / perRow);
    vec3 hitX = texelFetch(triangles, at, 0).rgb;
    vec3 hitZ = texelFetch(triangles, at + ivec2(1, 0), 0).rgb;
    gl_Position = matrix * vec4(hitX[k], floorY, hitZ[k], 1.0);
    cornerColour = texelFetch(triangles, at + ivec2(2, 0), 0).rgb;
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

// A program of the vertex shader and the shared fragment shader, with its
// uniforms' locations by name.
function buildProgram(gl, vertexShader) {
  const program = gl.createProgram();
  for (const [kind, source] of [[gl.VERTEX_SHADER, vertexShader], [gl.FRAGMENT_SHADER, rendererFragmentShader]]) {
    const shader = gl.createShader(kind);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  }
  gl.bindAttribLocation(program, 0, "corner");
  gl.linkProgram(program);
  const uniforms = {};
  for (let k = 0; k < gl.getProgramParameter(program, gl.ACTIVE_UNIFORMS); ++k) {
    const name = gl.getActiveUniform(program, k).name;
    uniforms[name] = gl.getUniformLocation(program, name);
  }
  return { program, uniforms };
}

// A float texture on unit unit, its texels read one by one.
function floatTexture(gl, unit) {
  const texture = gl.createTexture();
  gl.activeTexture(gl.TEXTURE0 + unit);
  gl.bindTexture(gl.TEXTURE_2D, texture);
  for (const filter of [gl.TEXTURE_MIN_FILTER, gl.TEXTURE_MAG_FILTER]) gl.texParameteri(gl.TEXTURE_2D, filter, gl.NEAREST);
  return texture;
}

// The programs, the corners' buffer and the textures every frame draws with:
// made at the start, and again when a lost context comes back. The textures
// get their sizes from the first frame.
const heightsUnit = 0, shadesUnit = 1, trianglesUnit = 2;
function buildDrawing(gl) {
  const surface = buildProgram(gl, surfaceVertexShader);
  const floor = buildProgram(gl, floorVertexShader);
  const corners = gl.createBuffer();
  surface.vertices = gl.createVertexArray();
  gl.bindVertexArray(surface.vertices);
  gl.bindBuffer(gl.ARRAY_BUFFER, corners);
  gl.enableVertexAttribArray(0);
  gl.vertexAttribIPointer(0, 2, gl.INT, 0, 0);
  gl.bindVertexArray(null);
  const textures = [heightsUnit, shadesUnit, trianglesUnit].map(unit => floatTexture(gl, unit));
  gl.enable(gl.DEPTH_TEST);
  return { surface, floor, corners, textures, sized: false, cornersSent: false };
}

// A float texture's storage, once: width x height texels of channels floats.
function storeTexture(gl, unit, texture, channels, width, height) {
  gl.activeTexture(gl.TEXTURE0 + unit);
  gl.bindTexture(gl.TEXTURE_2D, texture);
  gl.texStorage2D(gl.TEXTURE_2D, 1, channels === 1 ? gl.R32F : gl.RGB32F, width, height);
}

// Rows 0..rows of a texture, from the frame's floats.
function fillTexture(gl, unit, channels, width, rows, floats) {
  gl.activeTexture(gl.TEXTURE0 + unit);
  gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, rows, channels === 1 ? gl.RED : gl.RGB, gl.FLOAT, floats,
    0, width * rows * channels);
}

export function startRenderer(canvas, tell) {
  const gl = canvas.getContext("webgl2", {
    alpha: true,
    depth: true,
    antialias: false, // the desktop's window has no multisampling either
  });
  if (!gl) return null;
  let drawing = buildDrawing(gl);
  let lost = false;
  let newest = null; // the last frame given: drawn again on a new buffer or a restored context
  const loser = gl.getExtension("WEBGL_lose_context");

  function sizeTextures(frame) {
    const [heights, shades, triangles] = drawing.textures;
    const rows = frame.shades.length / frame.facesPerRow;
    storeTexture(gl, heightsUnit, heights, 1, frame.gridSide, frame.gridSide);
    storeTexture(gl, shadesUnit, shades, 1, frame.facesPerRow, rows);
    storeTexture(gl, trianglesUnit, triangles, 3, 3 * frame.facesPerRow, rows);
    drawing.sized = true;
  }

  // The mesh's corners go up once, the heights and shades at every frame.
  function drawSurface(frame) {
    const vertices = frame.corners.length / 2;
    if (vertices === 0) return;
    const { surface } = drawing;
    // The mesh never changes: its corners go up once a context.
    if (!drawing.cornersSent) {
      gl.bindBuffer(gl.ARRAY_BUFFER, drawing.corners);
      gl.bufferData(gl.ARRAY_BUFFER, frame.corners, gl.STATIC_DRAW);
      drawing.cornersSent = true;
    }
    fillTexture(gl, heightsUnit, 1, frame.gridSide, frame.gridSide, frame.heights);
    fillTexture(gl, shadesUnit, 1, frame.facesPerRow, Math.ceil(vertices / 3 / frame.facesPerRow), frame.shades);
    gl.useProgram(surface.program);
    gl.uniformMatrix4fv(surface.uniforms.matrix, false, frame.matrix);
    gl.uniform1i(surface.uniforms.centre, frame.centre);
    gl.uniform1i(surface.uniforms.heights, heightsUnit);
    gl.uniform1i(surface.uniforms.shades, shadesUnit);
    gl.bindVertexArray(surface.vertices);
    gl.drawArrays(gl.TRIANGLES, 0, vertices);
    gl.bindVertexArray(null);
  }

  function drawFloor(frame) {
    if (frame.floorFaces === 0) return;
    const { floor } = drawing;
    fillTexture(gl, trianglesUnit, 3, 3 * frame.facesPerRow, Math.ceil(frame.floorFaces / frame.facesPerRow), frame.floor);
    gl.useProgram(floor.program);
    gl.uniformMatrix4fv(floor.uniforms.matrix, false, frame.matrix);
    gl.uniform1f(floor.uniforms.floorY, frame.floorY);
    gl.uniform1i(floor.uniforms.triangles, trianglesUnit);
    gl.drawArrays(gl.TRIANGLES, 0, 3 * frame.floorFaces);
  }

  function drawNewest() {
    if (lost || !newest) return;
    gl.viewport(0, 0, canvas.width, canvas.height);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    if (!drawing.sized) sizeTextures(newest);
    drawSurface(newest);
    drawFloor(newest);
    tell("drawn", [gl.drawingBufferWidth, gl.drawingBufferHeight]);
  }

  canvas.addEventListener("webglcontextlost", event => {
    event.preventDefault(); // asks the browser for the context back
    lost = true;
    tell("lost");
  });
  canvas.addEventListener("webglcontextrestored", () => {
    lost = false;
    drawing = buildDrawing(gl);
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
    // The newest frame as a PNG at the drawing buffer's resolution, drawn
    // again first: a buffer already shown may have been cleared.
    picture() {
      drawNewest();
      if (canvas.convertToBlob) return canvas.convertToBlob({ type: "image/png" });
      return new Promise(resolve => canvas.toBlob(resolve, "image/png"));
    },
  };
}
