// The page's core as the worker's glue uses it, bundled by esbuild as the
// one global worker_core (cmake/web.cmake): the messages, and the
// program's standard streams.
export { dispatch, to_page, transfer_list } from '../core/protocol.mjs';
export { make_program_io } from '../core/program_io.mjs';
