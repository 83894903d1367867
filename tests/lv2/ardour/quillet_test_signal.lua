ardour {
	["type"]    = "dsp",
	name        = "Quillet Test Signal",
	category    = "Utility",
	license     = "MIT",
	author      = "Marrow Ledge",
	description = [[Plucked test tones computed from the transport position, silent while stopped, so every export of a session plays the same samples. tests/lv2/ardour/test_signal.py writes the same signal to a file.]]
}

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2 } }
end

-- One pluck every quarter second at 48 kHz, five pitches in turn; the right
-- channel carries the cosine, so the two differ.
local function pluck (n)
	local k = math.floor (n / 12000)
	local t = (n - k * 12000) / 48000
	local f = 220 * (1 + k % 5)
	local e = 0.5 * math.exp (-20 * t)
	return e * math.sin (2 * math.pi * f * t), e * math.cos (2 * math.pi * f * t)
end

function dsp_run (ins, outs, n_samples)
	local left, right = {}, {}
	local rolling = Session:transport_rolling ()
	local start = Session:transport_sample ()
	for s = 1, n_samples do
		if rolling then
			left[s], right[s] = pluck (start + s - 1)
		else
			left[s], right[s] = 0, 0
		end
	end
	outs[1]:set_table (left, n_samples)
	outs[2]:set_table (right, n_samples)
end
