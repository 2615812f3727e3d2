// The page's effect editor: CodeMirror with a GLSL flavour of the C-like
// mode, a lint gutter for the rebuild's problems, and nothing the page does
// not use, so the bundle stays small. esbuild makes it site/editor.js, which
// the page loads when the editor is first opened; it is the global
// VanteelEditor.
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { bracketMatching, defaultHighlightStyle, indentOnInput, StreamLanguage, syntaxHighlighting }
  from '@codemirror/language';
import { clike } from '@codemirror/legacy-modes/mode/clike';
import { lintGutter, setDiagnostics } from '@codemirror/lint';
import { Annotation, EditorState } from '@codemirror/state';
import { drawSelection, EditorView, highlightActiveLine, highlightActiveLineGutter, keymap, lineNumbers }
  from '@codemirror/view';

const words = text => Object.fromEntries(text.split(' ').map(word => [word, true]));

const glsl = StreamLanguage.define(clike({
  name: 'glsl',
  keywords: words('attribute const uniform varying buffer shared layout centroid flat smooth noperspective ' +
                  'break continue do for while switch case default if else in out inout discard return struct ' +
                  'precision highp mediump lowp invariant true false'),
  types: words('float double int uint bool void vec2 vec3 vec4 dvec2 dvec3 dvec4 ivec2 ivec3 ivec4 uvec2 uvec3 ' +
               'uvec4 bvec2 bvec3 bvec4 mat2 mat3 mat4 mat2x2 mat2x3 mat2x4 mat3x2 mat3x3 mat3x4 mat4x2 mat4x3 ' +
               'mat4x4 sampler2D sampler3D samplerCube sampler2DShadow sampler2DArray isampler2D usampler2D'),
  blockKeywords: words('case do else for if switch while struct'),
  atoms: words('gl_Position gl_PointSize gl_FragCoord gl_PointCoord gl_VertexID gl_InstanceID gl_FragDepth'),
  indentSwitch: false,
  hooks: { '#': stream => (stream.skipToEnd(), 'meta') },
}));

// Text the page puts in is not an edit, and is not handed back as one.
const fromPage = Annotation.define();

// Light, for contrast: the highlight style's colours are meant for a light ground.
const theme = EditorView.theme({
  '&': { height: '100%', backgroundColor: '#fff', color: '#1b1b1b', fontSize: '14px' },
  '.cm-scroller': { fontFamily: 'monospace', lineHeight: '1.45' },
  '.cm-gutters': { backgroundColor: '#ececec', color: '#3d3d3d', borderRight: '1px solid #ccc' },
  '.cm-activeLine': { backgroundColor: '#eef4ff' },
  '.cm-activeLineGutter': { backgroundColor: '#dde6f5' },
  '&.cm-focused': { outline: '2px solid #2d6ad6' },
});

// parent: the element it fills; onEdit(text): after every change the visitor makes.
export function createEditor(parent, text, onEdit) {
  const view = new EditorView({
    parent,
    state: EditorState.create({
      doc: text,
      extensions: [
        lineNumbers(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(), history(),
        indentOnInput(), bracketMatching(), syntaxHighlighting(defaultHighlightStyle), glsl, lintGutter(), theme,
        keymap.of([...defaultKeymap, ...historyKeymap]),
        EditorView.lineWrapping,
        // The tab stop is the text's own, which accessibility checkers look for in a scrolled region.
        EditorView.contentAttributes.of({ 'aria-label': 'Effect file (GLSL)', tabindex: '0' }),
        EditorView.updateListener.of(update => {
          if (update.docChanged && !update.transactions.some(transaction => transaction.annotation(fromPage)))
            onEdit(update.state.doc.toString());
        }),
      ],
    }),
  });
  return {
    view,
    text: () => view.state.doc.toString(),
    setText(newText) {
      view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: newText },
                      annotations: fromPage.of(true) });
    },
    // problems: { line, message } with the effect file's line numbers; one
    // without a line, or past the end, has no place in the text.
    showProblems(problems) {
      const doc = view.state.doc;
      const diagnostics = problems.filter(problem => problem.line >= 1 && problem.line <= doc.lines).map(problem => {
        const line = doc.line(problem.line);
        return { from: line.from, to: line.to, severity: 'error', message: problem.message };
      });
      view.dispatch(setDiagnostics(view.state, diagnostics));
    },
  };
}
