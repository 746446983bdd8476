-- Drives `tirvane lsp` through Neovim's own client: opens a Windows-1251 program with a
-- translation error and checks the diagnostic, a definition and a hover.
local server, program = os.getenv('TIRVANE'), os.getenv('PROGRAM')
local failures = {}
local function check(ok, what)
  if not ok then table.insert(failures, what) end
end

local function main()
  vim.o.fileencodings = 'cp1251'
  vim.cmd('edit ' .. vim.fn.fnameescape(program))
  local buffer = vim.api.nvim_get_current_buf()
  local client_id = vim.lsp.start_client({
    name = 'tirvane',
    cmd = { server, 'lsp' },
    root_dir = vim.fn.fnamemodify(program, ':h'),
  })
  check(client_id ~= nil, 'the server did not start')
  vim.lsp.buf_attach_client(buffer, client_id)
  local client = vim.lsp.get_client_by_id(client_id)

  vim.wait(10000, function() return #vim.diagnostic.get(buffer) > 0 end, 50)
  local diagnostics = vim.diagnostic.get(buffer)
  check(#diagnostics == 1, 'expected one diagnostic, got ' .. #diagnostics)
  if #diagnostics > 0 then
    check(diagnostics[1].lnum == 4, 'diagnostic on line ' .. diagnostics[1].lnum)
    check(diagnostics[1].message == 'Ошибка в строке 5 : Неизвестный идентификатор : "sqaure"',
          'diagnostic text: ' .. diagnostics[1].message)
  end

  -- "square" used after the Cyrillic string on line 5: UTF-16 columns.
  local line = vim.api.nvim_buf_get_lines(buffer, 4, 5, false)[1]
  local byte = line:find(': square') + 1
  local column = vim.str_utfindex(line, byte)
  local position = { textDocument = { uri = vim.uri_from_bufnr(buffer) },
                     position = { line = 4, character = column } }

  local definition = client.request_sync('textDocument/definition', position, 5000, buffer)
  local target = definition and definition.result and definition.result[1]
  check(target ~= nil, 'no definition')
  if target then
    check(target.range.start.line == 1, 'definition line ' .. target.range.start.line)
    check(target.range.start.character == 38, 'definition column ' .. target.range.start.character)
  end

  local hover = client.request_sync('textDocument/hover', position, 5000, buffer)
  local text = hover and hover.result and hover.result.contents.value or ''
  check(text:find('funcdef x { (x, x) : * >> return } >> square', 1, true) ~= nil, 'hover: ' .. text)
  check(text:find('Квадрат числа', 1, true) ~= nil, 'hover without the comment: ' .. text)

  client.stop()
  vim.wait(5000, function() return client.is_stopped() end, 50)
end

-- A Lua error must end Neovim too, not leave it waiting.
local ok, error = pcall(main)
check(ok, tostring(error))
if #failures > 0 then
  io.stderr:write(table.concat(failures, '\n') .. '\n')
  vim.cmd('cquit 1')
end
io.stdout:write('Neovim client: diagnostic, definition and hover as expected\n')
vim.cmd('qall!')
