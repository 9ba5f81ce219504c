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
-- Transport: the display listens on ONE of
--   UDP port 20083  one datagram per message; nothing to set up, and a lost
--                   datagram is replaced by the next one
--   TCP port 20081  one connection, messages one after another; the display
--                   puts messages split across writes back together
-- Which one is the fifth line of the display's config.txt ("tcp" when there
-- is no file), or its --transport option; the display prints the port it
-- listens on when it starts. Errors in what you send are printed on the
-- display's stderr, one line a second, naming the field.
--
-- Numbers: "." as decimal separator ("," is read as "." too, so a
-- decimal-comma locale does no harm); a sign and an exponent are fine
-- (-1.5, 1e3). string.format("%.2f ", v), v .. " " and "%g" all work. NOT
-- fine: "nan", "inf" (0/0 and 1/0 in Lua): the display keeps that field's
-- previous value and reports the error. Check with velmora-decode --listen.

local socket = require("socket")

local HOST = os.getenv("VELMORA_HOST") or "127.0.0.1"
local TRANSPORT = os.getenv("VELMORA_TRANSPORT") or "udp"   -- "udp" or "tcp"
local PORT = tonumber(os.getenv("VELMORA_PORT") or (TRANSPORT == "tcp" and "20081" or "20083"))
local FORMAT = os.getenv("VELMORA_FORMAT") or "fixed"        -- "fixed": %.2f, "plain": Lua's own v .. " "
local MIN_INTERVAL = 1 / 30                                  -- seconds between messages

local conn              -- the UDP or TCP socket
local lastSent = -math.huge
local sent = 0

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
  return s
end

-- One message: every number followed by one space, then "$" and a line end.
local function Format(values)
  local parts = {}
  for i = 1, 33 do
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

function ExportStart()
  if TRANSPORT == "tcp" then
    conn = socket.tcp()
    conn:settimeout(2)
    assert(conn:connect(HOST, PORT))
    conn:setoption("tcp-nodelay", true)
  else
    conn = socket.udp()
    assert(conn:setpeername(HOST, PORT))
  end
  conn:settimeout(0)   -- never stall the simulator's frame
end

function ExportFrame(t)
  if t - lastSent < MIN_INTERVAL * 0.9 then return end
  lastSent = t
  local message = Format(ReadState(t))
  if TRANSPORT == "tcp" then
    -- A non-blocking send may take only part of the message: send the rest
    -- right away, so the display never sees two messages interleaved.
    local from = 1
    while from <= #message do
      local last, err, partial = conn:send(message, from)
      if last then
        from = last + 1
      elseif err == "timeout" then
        from = partial + 1
        socket.select(nil, { conn }, 0.01)
      else
        return   -- the display went away; a real script could reconnect here
      end
    end
  else
    conn:send(message)
  end
  sent = sent + 1
end

function ExportStop()
  if conn then conn:close() end
  conn = nil
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
  io.stderr:write(string.format("exporter-example: %d messages sent over %s to %s:%d\n", sent, TRANSPORT, HOST, PORT))
end
