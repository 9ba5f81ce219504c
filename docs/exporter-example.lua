-- Velmora exporter example (Lua 5.4 + LuaSocket).
--
-- A simulator's export script sends the aircraft state to the Velmora display
-- as short text messages: 33 numbers, EACH FOLLOWED BY ONE SPACE, then "$".
-- Anything after the "$" (a line end, say) is ignored.
--
--   3250.00 450.00 92.00 5.00 25.00 0.00 ... 1.00 $
--
-- The commonest slip: table.concat(values, " ") .. "$" puts no space after
-- the last number, so the display drops field 33. Join with " " AND end with
-- " $", or append " " to every number as this script does.
--
-- Hook the three functions below into your simulator's export callbacks:
--   ExportStart()      once, when the mission starts: opens the socket
--   ExportFrame(t)     after every simulation frame: sends one message
--                      (this script sends at most 30 a second)
--   ExportStop()       once, at the end: closes the socket
-- and replace ReadState() with your simulator's own calls. Run on its own
-- (lua5.4 exporter-example.lua) it sends a made-up flight for a few seconds.
--
-- It never holds the simulator up and never raises an error into it:
--   - the display may start before or after the simulator, and may restart:
--     a TCP connection is opened without waiting, and tried again at most
--     once a second while the display is not there;
--   - a message the display has not taken whole (it stopped reading) is
--     finished over the next frames without waiting, or the connection is
--     dropped after MAX_STALL seconds and opened afresh; the display forgets
--     the half message with the connection;
--   - every error is caught and kept in ExportStatus().lastError.
-- Each call costs a few non-blocking socket calls. Give HOST as an address:
-- a name would be looked up, and a look-up can wait.
--
-- Or let it find the display: VELMORA_HOST=auto listens for the beacon
-- displays send to UDP port 20084 (VELMORA_ANNOUNCE_PORT) and sends to the
-- first display heard, or to the one named VELMORA_NAME (its --name, else
-- its computer's name), with the transport and port that display listens
-- on; it follows the display when its address or port changes.
--
-- Several displays at once: start each with --udp-group 239.20.0.83 and set
-- VELMORA_TRANSPORT=udp VELMORA_HOST=239.20.0.83 (and VELMORA_PORT when the
-- displays use another UDP port). A multicast datagram stays on the local
-- network (time to live 1, the system's default) and reaches displays on
-- this PC too.
--
-- Transport: the display listens on ONE of
--   UDP port 20083  one datagram per message; nothing to set up, and a lost
--                   datagram is replaced by the next one
--   TCP port 20081  one connection, messages one after another; the display
--                   puts messages split across writes back together
-- Which one is the fifth line of the display's config.txt ("tcp" when there
-- is no file), or its --transport option; the display prints the port it
-- listens on and the addresses to send to when it starts, and shows them on
-- its glass (F3) while nothing arrives. Errors in what you send are printed on the
-- display's stderr, one line a second, naming the field.
--
-- The target on the tactical page (positions 34 and 35, after the 33): fill
-- ReadTarget() below with your simulator's calls. While it returns nothing,
-- messages carry the 33 numbers only. A display started with --target-fields
-- places the target symbol by them; any other display reads and ignores them.
--   34  the target's bearing from the own aircraft's nose, RADIANS, positive
--       to the right (0 straight ahead, math.pi / 2 off the right wing)
--   35  the target's heading, degrees, in the same convention as position 15
--       (the symbol is drawn turned by heading - target heading)
-- A message without them leaves the display's last values in place.
--
-- Numbers: "." as decimal separator ("," is read as "." too, so a
-- decimal-comma locale does no harm); a sign and an exponent are fine
-- (-1.5, 1e3). string.format("%.2f ", v), v .. " " and "%g" all work. NOT
-- fine: "nan", "inf" (0/0 and 1/0 in Lua): the display keeps that field's
-- previous value and reports the error. Check with velmora-decode --listen.

local socket = require("socket")

-- Settings: a global of the same name set before this file runs, else the
-- environment, else the default.
local function Setting(name, default)
  local v = rawget(_ENV, name)
  if v == nil then v = os.getenv(name) end
  if v == nil then v = default end
  return v
end

local TRANSPORT = Setting("VELMORA_TRANSPORT", "udp")                 -- "udp" or "tcp"
local HOST = Setting("VELMORA_HOST", "127.0.0.1")                    -- an address, or "auto"
local PORT = tonumber(Setting("VELMORA_PORT", TRANSPORT == "tcp" and "20081" or "20083"))
-- VELMORA_HOST=auto: find the display by its beacon (see FollowBeacons below).
local AUTO = HOST == "auto"
local ANNOUNCE_PORT = tonumber(Setting("VELMORA_ANNOUNCE_PORT", "20084"))
local WANTED_NAME = Setting("VELMORA_NAME", nil)                     -- nil: the first display heard
if AUTO then HOST = nil end                                         -- nothing to send to until a beacon comes
local FORMAT = Setting("VELMORA_FORMAT", "fixed")                    -- "fixed": %.2f, "plain": Lua's own v .. " "
local MIN_INTERVAL = 1 / 30                                          -- seconds between messages
local RETRY = 1.0              -- seconds between connection attempts
local CONNECT_WAIT = 3.0       -- an attempt not answered by then is given up
local MAX_STALL = 1.0          -- seconds a half-sent message may wait before the connection is dropped

local conn                     -- the UDP or TCP socket
local state = "down"           -- "down", "connecting" (TCP) or "up"
local nextAttempt = -math.huge -- wall-clock time of the next connection attempt
local attemptStarted = 0
local unsent                   -- TCP: the rest of a message the display has not taken yet
local unsentSince = 0
local waiting                  -- the newest message not yet begun (sent once connected)
local lastSent = -math.huge
local status = { sent = 0, attempts = 0, dropped = 0, lastError = nil, display = nil, beacons = 0, ignored = 0 }

local ReadTarget  -- below: the target's bearing and heading

-- The 33 values, in message order. Units are the display's own.
local function ReadState(t)
  local s = {}
  s[1]  = 3000 + 500 * math.sin(t / 7)    -- altitude, m (barometric)
  s[2]  = 600 + 150 * math.sin(t / 5)     -- indicated airspeed, km/h (dial 0..1400)
  s[3]  = 88 + 8 * math.sin(t / 3)        -- left engine speed, %  (above 100: red needle)
  s[4]  = 10 * math.sin(t / 4)            -- pitch, degrees, nose up positive
  s[5]  = 40 * math.sin(t / 6)            -- bank, degrees, right wing down positive
  s[6]  = 0                               -- spare: send 0
  s[7]  = 5 + 4 * math.sin(t / 3)         -- angle of attack, degrees (scale -10..25)
  s[8]  = 1 + 2 * math.abs(math.sin(t / 6)) -- G load, g (above 6 the window fades)
  s[9]  = 5 * math.cos(t / 7)             -- vertical speed, scale units (+/-10 marked)
  s[10] = s[2] / 1200                     -- Mach number
  s[11] = 2                               -- commanded pitch (flight director), degrees
  s[12] = 0                               -- commanded bank (flight director), degrees
  s[13] = (t * 10) % 360                  -- ADF bearing, degrees
  s[14] = (t * 5) % 360                   -- RMI bearing, degrees
  s[15] = (360 - t * 3) % 360             -- heading, degrees (the tactical readout shows 360 - value)
  s[16] = 0.3 * math.sin(t)               -- ball deflection, units of 12 degrees
  s[17] = 760                             -- pressure setting, mm Hg
  s[18] = 900                             -- radar altitude, m (reads 0 when bank > 65 or above 1480)
  s[19] = 0.5 * math.sin(t / 2)           -- glideslope deviation, -1..+1
  s[20] = 0.5 * math.cos(t / 2)           -- localizer deviation, -1..+1
  s[21] = s[3]                            -- right engine speed, %
  s[22] = 600                             -- left engine temperature, degrees C
  s[23] = 610                             -- right engine temperature, degrees C
  s[24] = 2000 - t                        -- fuel quantity 1, kg
  s[25] = 1500                            -- fuel quantity 2, kg
  s[26] = 0                               -- spare
  s[27] = 0                               -- spare
  s[28] = s[2] * 1.1                      -- true airspeed, km/h
  s[29] = 25000 - 100 * t                 -- navigation distance, m
  s[30] = -1                              -- target range, m; exactly -1: no target
  s[31] = 0                               -- pair of lamps: lit at exactly 2
  s[32] = 1                               -- single lamp: lit at exactly 1
  s[33] = (t % 2 < 1) and 1 or 0          -- group of three lamps: lit at exactly 1
  local bearing, heading = ReadTarget(t, s)
  if bearing and heading then s[34], s[35] = bearing, heading end
  return s
end

-- The target's bearing (radians from the nose, positive right) and heading
-- (degrees, as position 15), or nothing when the simulator does not know
-- them. Replace the body with your simulator's calls, for instance
--   local b, h = MySimulatorTargetBearing(), MySimulatorTargetHeading()
--   if b and h then return b, h end
-- The made-up flight has no target (position 30 is -1).
ReadTarget = function(t, state)  -- luacheck: no unused args
  return nil
end

-- One message: every number followed by one space, then "$" and a line end.
-- 33 numbers, or 35 when the target's bearing and heading are known.
local function Format(values)
  local parts = {}
  for i = 1, #values do
    local v = values[i]
    if v ~= v or v == math.huge or v == -math.huge then v = 0 end  -- never send nan or inf
    if FORMAT == "plain" then
      parts[i] = v .. " "
    else
      parts[i] = string.format("%.2f ", v)
    end
  end
  return table.concat(parts) .. "$\n"
end

local function Drop(reason)
  if conn then pcall(conn.close, conn) end
  conn, state, unsent = nil, "down", nil
  if reason then status.lastError = reason end
end

-- Opens the socket without waiting; TCP completes in later frames.
local function Open(now)
  nextAttempt = now + RETRY
  status.attempts = status.attempts + 1
  if TRANSPORT == "tcp" then
    conn = socket.tcp()
    conn:settimeout(0)
    local ok, err = conn:connect(HOST, PORT)
    if ok then
      state = "up"
    elseif err == "timeout" or err == "Operation already in progress" then
      state, attemptStarted = "connecting", now
    else
      return Drop("connect: " .. tostring(err))
    end
  else
    conn = socket.udp()
    conn:settimeout(0)
    local ok, err = conn:setpeername(HOST, PORT)
    if not ok then return Drop("udp: " .. tostring(err)) end
    state = "up"
  end
  if state == "up" and TRANSPORT == "tcp" then conn:setoption("tcp-nodelay", true) end
end

-- A pending TCP connection: writable means settled, one way or the other.
local function CheckConnecting(now)
  local _, writable = socket.select(nil, { conn }, 0)
  if writable and writable[1] then
    if conn:getpeername() then
      state = "up"
      conn:setoption("tcp-nodelay", true)
    else
      Drop("connect: refused (is the display listening on TCP " .. PORT .. "?)")
    end
  elseif now - attemptStarted > CONNECT_WAIT then
    Drop("connect: no answer")
  end
end

-- One non-blocking send of what is left; false when the connection went away.
local function SendSome(now)
  local last, err, partial = conn:send(unsent)
  local done = last or partial or 0
  if done >= #unsent then
    unsent = nil
    status.sent = status.sent + 1
    return true
  end
  if err ~= "timeout" then
    Drop("send: " .. tostring(err))
    return false
  end
  if done > 0 then unsent, unsentSince = unsent:sub(done + 1), now end
  if now - unsentSince > MAX_STALL then
    -- The display stopped reading: start again rather than wait on it.
    status.dropped = status.dropped + 1
    Drop("send: the display stopped reading")
    return false
  end
  return true
end

local FollowBeacons  -- below: VELMORA_HOST=auto

local function Frame(t)
  local now = socket.gettime()
  if AUTO then FollowBeacons(now) end
  if t - lastSent >= MIN_INTERVAL * 0.9 then
    lastSent = t
    waiting = Format(ReadState(t))   -- a newer message replaces one never begun
  end
  if state == "down" and now >= nextAttempt and HOST then Open(now) end
  if state == "connecting" then CheckConnecting(now) end
  if state ~= "up" then return end
  if TRANSPORT == "udp" then
    if waiting then
      local ok, err = conn:send(waiting)
      waiting = nil
      -- A refused datagram (no display yet) is reported by the next send:
      -- nothing to do but keep sending.
      if ok then status.sent = status.sent + 1 else status.lastError = "udp: " .. tostring(err) end
    end
    return
  end
  if unsent and not SendSome(now) then return end
  if not unsent and waiting then
    unsent, unsentSince, waiting = waiting, now, nil
    SendSome(now)
  end
end

-- Nothing reaches the simulator: an error in here is kept, never raised.
local function Guarded(f, ...)
  local ok, err = pcall(f, ...)
  if not ok then
    status.lastError = tostring(err)
    Drop()
  end
end

-- ---- VELMORA_HOST=auto: following the display's beacon ----
-- Every two seconds a display sends one line to UDP port 20084 (on each
-- network's broadcast address and to 127.0.0.1):
--   VELMORA/1 name=Cockpit%20PC transport=udp port=20083 web=8083
-- key=value pairs after the version, in any order, values percent-encoded;
-- keys this script does not know are ignored. It takes the transport and
-- port from the first display it hears (or the one named VELMORA_NAME) and
-- follows that display when its address or port changes. At most
-- MAX_BEACONS_PER_FRAME datagrams are read a frame, so a flood of them
-- costs the simulator no more than that; nothing heard is kept but the
-- display followed.
local MAX_BEACONS_PER_FRAME = 8
local FORGET_AFTER = 7         -- seconds without its beacon before another display may be taken
local finder                   -- the UDP socket on ANNOUNCE_PORT
local nextFinderAttempt = -math.huge
local followed                 -- { name, address, transport, port, heard }

local function OpenFinder(now)
  nextFinderAttempt = now + RETRY
  local s = socket.udp()
  s:settimeout(0)
  -- Shared: the relay or another exporter on this machine may listen too.
  s:setoption("reuseaddr", true)
  local ok, err = s:setsockname("*", ANNOUNCE_PORT)
  if not ok then
    s:close()
    status.lastError = "beacon port " .. ANNOUNCE_PORT .. ": " .. tostring(err)
    return
  end
  finder = s
end

-- The beacon's fields, or nil for anything that is not a VELMORA/1 beacon.
local function ParseBeacon(line)
  if #line > 512 then return nil end
  local rest = line:match("^VELMORA/1 (.*)$") or line:match("^VELMORA/1(\r?\n?)$")
  if not rest then return nil end
  local b = {}
  for key, value in rest:gsub("[\r\n]", ""):gmatch("(%S-)=(%S*)") do
    b[key] = value:gsub("%%(%x%x)", function(h) return string.char(tonumber(h, 16)) end)
  end
  local port = tonumber(b.port)
  if not b.name or b.name == "" or (b.transport ~= "udp" and b.transport ~= "tcp")
      or not port or port < 1 or port > 65535 or port % 1 ~= 0 then
    return nil
  end
  return { name = b.name, transport = b.transport, port = port }
end

local function IsLoopback(address) return address:match("^127%.") ~= nil end

-- One beacon heard from address: follow it if it is our display (or the
-- first one when none is followed yet, or the followed one went quiet).
local function Heard(b, address, now)
  if WANTED_NAME and b.name ~= WANTED_NAME then return end
  local f = followed
  if f and f.name ~= b.name and now - f.heard < FORGET_AFTER then return end
  -- The same display beacons to 127.0.0.1 and to the network: on its own
  -- machine keep loopback while it is heard there.
  if f and f.name == b.name and address ~= f.address and IsLoopback(f.address) and not IsLoopback(address)
      and now - f.heardLoopback < FORGET_AFTER then
    f.heard = now
    return
  end
  local changed = not f or f.name ~= b.name or f.address ~= address or f.transport ~= b.transport
      or f.port ~= b.port
  followed = { name = b.name, address = address, transport = b.transport, port = b.port, heard = now,
               heardLoopback = IsLoopback(address) and now or (f and f.heardLoopback or -math.huge) }
  if changed then
    HOST, TRANSPORT, PORT = address, b.transport, b.port
    status.display = b.name
    -- A connection to where the display was is of no more use; send anew at once.
    Drop()
    nextAttempt = now
  end
end

FollowBeacons = function(now)
  if not finder then
    if now >= nextFinderAttempt then OpenFinder(now) end
    if not finder then return end
  end
  for _ = 1, MAX_BEACONS_PER_FRAME do
    local data, address = finder:receivefrom()
    if not data then break end
    local b = ParseBeacon(data)
    if b then
      status.beacons = status.beacons + 1
      Heard(b, address, now)
    else
      status.ignored = status.ignored + 1
    end
  end
end

local function CloseFinder()
  if finder then pcall(finder.close, finder) end
  finder = nil
end

function ExportStart()
  Guarded(function()
    if AUTO then FollowBeacons(socket.gettime()) end
    if HOST then Open(socket.gettime()) end
  end)
end

function ExportFrame(t)
  Guarded(Frame, t)
end

function ExportStop()
  Guarded(function()
    if conn and state == "up" and unsent then SendSome(socket.gettime()) end
    Drop()
    CloseFinder()
  end)
end

-- Counters for a curious user (and the tests): messages sent whole,
-- connection attempts, connections dropped on a stalled display, last error.
function ExportStatus()
  return { sent = status.sent, attempts = status.attempts, dropped = status.dropped,
           lastError = status.lastError, state = state,
           -- VELMORA_HOST=auto: the display followed, where, beacons heard and ignored.
           display = status.display, host = HOST, transport = TRANSPORT, port = PORT,
           beacons = status.beacons, ignored = status.ignored }
end

-- Standalone run: a simulator's embedded Lua has no command-line arguments.
if arg then
  local frames = tonumber(os.getenv("VELMORA_FRAMES") or "150")
  ExportStart()
  local t = 0
  for _ = 1, frames do
    ExportFrame(t)
    t = t + MIN_INTERVAL
    socket.sleep(MIN_INTERVAL)
  end
  ExportStop()
  io.stderr:write(string.format("exporter-example: %d messages sent over %s to %s:%d%s\n", status.sent, TRANSPORT,
    tostring(HOST), PORT, status.lastError and (" (last error: " .. status.lastError .. ")") or ""))
end
