-- The example exporter inside a simulator's frame loop, with a stand-in
-- display served from the same loop between frames:
--   absent      nothing listens: no error, at most one attempt a second
--   present     every message arrives whole
--   restarting  the display goes away and comes back on the same port: the
--               exporter reconnects by itself and the new connection starts
--               with a whole message
--   trickle     the socket takes a few bytes a frame: messages still whole
--   stalled     the socket takes nothing: the connection is dropped within
--               the stall limit and opened again
--   slow        2 bytes a frame, one message taking over a second: never
--               dropped while bytes still move
--   unanswered  the display's queue of connections is full, so a connect
--               waits: frames stay cheap, and the attempt is given up
--               after 3 s and made afresh
--   auto        VELMORA_HOST=auto: the display found by its beacon through a
--               burst of forged and foreign ones, followed to a new address
--               and port; with VELMORA_NAME only the display named is fed
-- and each case's cost per simulator frame (mean and worst), printed.
--
--   lua5.4 exporter_cost_test.lua path/to/exporter-example.lua
local socket = require("socket")
local script = assert(arg[1], "usage: exporter_cost_test.lua EXPORTER")
local FRAME = 1 / 100           -- the simulator's frame period
-- A blocking connect or a send that waits on a stalled display costs seconds;
-- a busy shared machine can still hold a cheap frame up for some milliseconds.
local WORST_ALLOWED = 0.05      -- seconds, for the slowest single frame
local MEAN_ALLOWED = 0.001      -- seconds, averaged over the run
local failures = 0

local function check(ok, what)
  if not ok then
    failures = failures + 1
    io.stdout:write("FAIL: ", what, "\n")
  end
end

local function freePort()
  local s = assert(socket.bind("127.0.0.1", 0))
  local _, port = s:getsockname()
  s:close()
  return tonumber(port)
end

-- The socket library the exporter sees: the real one, with TCP sends cut to
-- `limit` bytes a call (0: the display takes nothing) when limit is set.
local function throttledSocket(limit)
  if not limit then return socket end
  local proxy = setmetatable({}, { __index = socket })
  proxy.tcp = function()
    local real = socket.tcp()
    -- Every other method (select's getfd and dirty too) goes to the real one.
    local wrapped = setmetatable({}, { __index = function(_, k)
      local v = real[k]
      if type(v) == "function" then return function(_, ...) return v(real, ...) end end
      return v
    end })
    wrapped.send = function(_, data, i)
      i = i or 1
      if real:getpeername() == nil then return real:send(data, i) end
      if limit == 0 then return nil, "timeout", i - 1 end
      local j = math.min(#data, i + limit - 1)
      local last, err, partial = real:send(data, i, j)
      if last and last < #data then return nil, "timeout", last end
      return last, err, partial
    end
    return wrapped
  end
  return proxy
end

-- A fresh copy of the exporter, sending over TCP to port.
local function loadExporter(port, limit)
  local sock = throttledSocket(limit)
  local env = setmetatable({
    VELMORA_TRANSPORT = "tcp", VELMORA_PORT = port, VELMORA_HOST = "127.0.0.1",
    arg = false,
    require = function(name) if name == "socket" then return sock end return require(name) end,
  }, { __index = _G })
  assert(loadfile(script, "t", env))()
  return env
end

-- A fresh copy of the exporter finding its display by beacon.
local function loadAutoExporter(beaconPort, name)
  local env = setmetatable({
    VELMORA_HOST = "auto", VELMORA_ANNOUNCE_PORT = beaconPort, VELMORA_NAME = name, arg = false,
  }, { __index = _G })
  assert(loadfile(script, "t", env))()
  return env
end

-- The stand-in display: accepts, reads everything, splits messages at "$\n".
local function newDisplay(port, host)
  local d = { clients = {}, messages = 0, broken = 0, connections = 0, buffers = {}, bytes = 0 }
  d.server = assert(socket.bind(host or "127.0.0.1", port))
  d.server:settimeout(0)
  function d:serve()
    if self.server then
      local c = self.server:accept()
      if c then
        c:settimeout(0)
        self.connections = self.connections + 1
        self.clients[#self.clients + 1] = c
        self.buffers[c] = ""
      end
    end
    for _, c in ipairs(self.clients) do
      local data, err, partial = c:receive(65536)
      local got = data or partial or ""
      self.bytes = self.bytes + #got
      local buf = self.buffers[c] .. got
      for message in buf:gmatch("([^$]*)%$\n") do
        local fields = 0
        for _ in message:gmatch("%S+") do fields = fields + 1 end
        if fields == 33 and message:match("^%-?%d") and message:sub(-1) == " " then
          self.messages = self.messages + 1
        else
          self.broken = self.broken + 1
        end
      end
      -- What follows the last whole message (a read may end between "$" and "\n").
      self.buffers[c] = buf:match("^.*%$\n(.*)$") or buf
      if err == "closed" then self.buffers[c] = "" end
    end
  end
  function d:stop()
    for _, c in ipairs(self.clients) do c:close() end
    self.clients, self.buffers = {}, {}
    if self.server then self.server:close() end
    self.server = nil
  end
  function d:start() self.server = assert(socket.bind("127.0.0.1", port)); self.server:settimeout(0) end
  return d
end

-- Runs the exporter for `seconds` of frames; between frames `between(now)`.
local function run(exporter, seconds, between)
  local total, worst, frames = 0, 0, 0
  local t0 = socket.gettime()
  local t = 0
  exporter.ExportStart()
  while socket.gettime() - t0 < seconds do
    local a = socket.gettime()
    exporter.ExportFrame(t)
    local cost = socket.gettime() - a
    total, worst, frames = total + cost, math.max(worst, cost), frames + 1
    if between then between(socket.gettime() - t0) end
    t = t + FRAME
    socket.sleep(FRAME)
  end
  exporter.ExportStop()
  return { mean = total / frames, worst = worst, frames = frames }
end

local function report(name, cost, extra)
  io.stdout:write(string.format("%-10s %5d frames, per frame mean %6.1f us, worst %6.1f us%s\n", name, cost.frames,
    cost.mean * 1e6, cost.worst * 1e6, extra or ""))
  check(cost.worst < WORST_ALLOWED, name .. ": a frame took " .. cost.worst .. " s")
  check(cost.mean < MEAN_ALLOWED, name .. ": frames took " .. cost.mean .. " s on average")
end

-- Absent: nothing listens.
do
  local exporter = loadExporter(freePort())
  local cost = run(exporter, 3.2)
  local s = exporter.ExportStatus()
  report("absent", cost, string.format(", %d connection attempts", s.attempts))
  check(s.attempts >= 3 and s.attempts <= 5, "absent: " .. s.attempts .. " attempts in 3.2 s")
  check(s.sent == 0, "absent: sent " .. s.sent)
end

-- Present: all whole, about thirty a second.
do
  local port = freePort()
  local display = newDisplay(port)
  local exporter = loadExporter(port)
  local cost = run(exporter, 2, function() display:serve() end)
  socket.sleep(0.05)
  display:serve()
  display:stop()
  report("present", cost, string.format(", %d messages", display.messages))
  -- One message every third or fourth frame (at most 30 a second), however
  -- few frames a loaded machine gave the loop.
  check(display.messages >= cost.frames // 4 and display.messages >= 20 and display.broken == 0,
    string.format("present: %d whole in %d frames, %d broken", display.messages, cost.frames, display.broken))
end

-- Restarting: away from 1.0 s to 2.5 s, back until 4.5 s.
do
  local port = freePort()
  local display = newDisplay(port)
  local exporter = loadExporter(port)
  local before, state = 0, "up"
  local cost = run(exporter, 4.5, function(elapsed)
    if state == "up" and elapsed >= 1.0 then
      display:serve()
      before = display.messages
      display:stop()
      state = "away"
    elseif state == "away" and elapsed >= 2.5 then
      display:start()
      state = "back"
    end
    display:serve()
  end)
  display:serve()
  display:stop()
  report("restarting", cost, string.format(", %d connections, %d messages after the restart",
    display.connections, display.messages - before))
  check(display.connections == 2, "restarting: " .. display.connections .. " connections")
  check(display.messages - before >= 10, "restarting: only " .. (display.messages - before) .. " after the restart")
  check(display.broken == 0, "restarting: " .. display.broken .. " broken messages")
end

-- Trickle: 40 bytes a call; every message still arrives whole.
do
  local port = freePort()
  local display = newDisplay(port)
  local exporter = loadExporter(port, 40)
  local cost = run(exporter, 1.5, function() display:serve() end)
  display:serve()
  display:stop()
  report("trickle", cost, string.format(", %d messages", display.messages))
  check(display.messages >= 5 and display.broken == 0,
    string.format("trickle: %d whole, %d broken", display.messages, display.broken))
end

-- Stalled: nothing taken; dropped after the stall limit and tried again.
do
  local port = freePort()
  local display = newDisplay(port)
  local exporter = loadExporter(port, 0)
  local cost = run(exporter, 3.5, function() display:serve() end)
  display:stop()
  local s = exporter.ExportStatus()
  report("stalled", cost, string.format(", %d dropped, %d connections", s.dropped, display.connections))
  check(s.dropped >= 1 and display.connections >= 2, "stalled: never dropped and reconnected")
end

-- Slow: the display takes 2 bytes a frame, so each message takes over a
-- second (more on a loaded machine, with fewer frames), bytes moving all the
-- while: the stall limit never cuts it.
do
  local port = freePort()
  local display = newDisplay(port)
  local exporter = loadExporter(port, 2)
  local cost = run(exporter, 3, function() display:serve() end)
  display:serve()
  display:stop()
  local s = exporter.ExportStatus()
  report("slow", cost, string.format(", %d bytes, %d messages, %d dropped", display.bytes, display.messages, s.dropped))
  check(s.dropped == 0 and display.bytes >= 100 and display.broken == 0,
    string.format("slow: %d dropped, %d bytes, %d broken", s.dropped, display.bytes, display.broken))
end

-- Unanswered: a listener whose queue of connections is full drops the
-- exporter's connection request, so the connect waits for an answer that
-- never comes.
do
  local deaf = assert(socket.tcp())
  assert(deaf:bind("127.0.0.1", 0))
  assert(deaf:listen(0))
  local _, port = deaf:getsockname()
  local fillers = {}
  for i = 1, 3 do
    fillers[i] = socket.tcp()
    fillers[i]:settimeout(0)
    fillers[i]:connect("127.0.0.1", port)
  end
  local exporter = loadExporter(tonumber(port))
  local cost = run(exporter, 4.2)
  local s = exporter.ExportStatus()
  for _, f in ipairs(fillers) do f:close() end
  deaf:close()
  report("unanswered", cost, string.format(", %d attempts, last error %s", s.attempts, tostring(s.lastError)))
  check(s.attempts == 2 and s.lastError == "connect: no answer",
    string.format("unanswered: %d attempts in 4.2 s, last error %s", s.attempts, tostring(s.lastError)))
end

-- Auto: a display beacons from 127.0.0.2, a burst of a thousand forged and
-- foreign datagrams arrives, then the display moves to 127.0.0.3 (same
-- port), then restarts there on another port, under the same name.
local function beaconFrom(host)
  local s = assert(socket.udp())
  assert(s:setsockname(host, 0))
  return s
end
local function beacon(name, port) return "VELMORA/1 name=" .. name .. " transport=tcp port=" .. port .. " web=0\n" end
do
  local beaconPort, portA, portB = freePort(), freePort(), freePort()
  local from = { beaconFrom("127.0.0.2"), beaconFrom("127.0.0.3") }
  -- Where the display is in each phase: sender, address, port.
  local phases = { { 1, "127.0.0.2", portA }, { 2, "127.0.0.3", portA }, { 2, "127.0.0.3", portB } }
  local displays, phase = { newDisplay(portA, "127.0.0.2") }, 1
  local exporter = loadAutoExporter(beaconPort)
  local nextBeacon, burst = 0, false
  local cost = run(exporter, 4.5, function(elapsed)
    local want = math.min(3, math.floor(elapsed / 1.5) + 1)
    if want ~= phase then
      displays[phase]:serve()
      displays[phase]:stop()
      phase = want
      displays[phase] = newDisplay(phases[phase][3], phases[phase][2])
    end
    if elapsed >= nextBeacon then
      nextBeacon = elapsed + 0.2
      from[phases[phase][1]]:sendto(beacon("cockpit%20pc", phases[phase][3]), "127.0.0.1", beaconPort)
    end
    if not burst and elapsed >= 0.5 then
      burst = true
      for i = 1, 1000 do
        from[1]:sendto(i % 2 == 0 and beacon("forged" .. i, portA) or "VELMORA/9 junk " .. i, "127.0.0.1", beaconPort)
      end
    end
    displays[phase]:serve()
  end)
  displays[phase]:serve()
  displays[phase]:stop()
  local s = exporter.ExportStatus()
  local counts, broken = {}, 0
  for i, d in ipairs(displays) do counts[i], broken = d.messages, broken + d.broken end
  report("auto", cost, string.format(", %d, %d, %d messages in the three places, %d beacons, %d ignored",
    counts[1], counts[2], counts[3], s.beacons, s.ignored))
  check(counts[1] >= 15 and counts[2] >= 15 and counts[3] >= 15 and broken == 0,
    string.format("auto: %d, %d, %d whole messages, %d broken", counts[1], counts[2], counts[3], broken))
  check(s.display == "cockpit pc" and s.host == "127.0.0.3" and s.port == portB,
    "auto: followed " .. tostring(s.display) .. " at " .. tostring(s.host) .. ":" .. tostring(s.port))
  check(s.ignored >= 1, "auto: foreign datagrams not counted")
  -- A refused connect while the display is away is expected; a beacon port it could not have is not.
  check(not tostring(s.lastError):match("beacon port"), "auto: " .. tostring(s.lastError))
end

-- VELMORA_NAME: of two displays heard, only the one named is fed.
do
  local beaconPort, portL, portR = freePort(), freePort(), freePort()
  local left, right = newDisplay(portL, "127.0.0.2"), newDisplay(portR, "127.0.0.2")
  local from = beaconFrom("127.0.0.2")
  local exporter = loadAutoExporter(beaconPort, "right")
  local nextBeacon = 0
  run(exporter, 1, function(elapsed)
    if elapsed >= nextBeacon then
      nextBeacon = elapsed + 0.2
      from:sendto(beacon("left", portL), "127.0.0.1", beaconPort)
      from:sendto(beacon("right", portR), "127.0.0.1", beaconPort)
    end
    left:serve()
    right:serve()
  end)
  right:serve()
  left:stop()
  right:stop()
  check(right.messages >= 10 and left.connections == 0,
    string.format("VELMORA_NAME: right got %d, left %d connections", right.messages, left.connections))
end

if failures > 0 then os.exit(1) end
print("ok")
