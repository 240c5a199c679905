<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AlarmBand</name>
    <message>
        <source>未确认</source>
        <translation>Unacknowledged</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>已解除，未确认</source>
        <translation>Cleared, unacknowledged</translation>
    </message>
    <message>
        <source>已结束</source>
        <translation>Ended</translation>
    </message>
    <message>
        <source> 降 %1 MPa（阈值 %2 MPa）</source>
        <translation> fell %1 MPa (threshold %2 MPa)</translation>
    </message>
    <message>
        <source> %1 MPa（阈值 %2 MPa）</source>
        <translation> %1 MPa (threshold %2 MPa)</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>确认报警</source>
        <translation>Acknowledge</translation>
    </message>
    <message>
        <source>静音</source>
        <translation>Silence</translation>
    </message>
    <message>
        <source>报警静音两分钟</source>
        <translation>Silence the alarm for two minutes</translation>
    </message>
    <message>
        <source>，%1 起</source>
        <translation>, since %1</translation>
    </message>
    <message>
        <source>（第 %1 次）</source>
        <translation> (raised %1 times)</translation>
    </message>
    <message>
        <source>，已解除</source>
        <translation>, cleared</translation>
    </message>
    <message>
        <source>；活动报警 %1 项</source>
        <translation>; active alarms: %1</translation>
    </message>
    <message>
        <source>；已静音</source>
        <translation>; silenced</translation>
    </message>
</context>
<context>
    <name>AlarmListWindow</name>
    <message>
        <source>报警记录</source>
        <translation>Alarm list</translation>
    </message>
    <message>
        <source>报警列表</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>报警时间</source>
        <translation>Raised</translation>
    </message>
    <message>
        <source>解除时间</source>
        <translation>Cleared</translation>
    </message>
    <message>
        <source>确认时间</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>确认所选</source>
        <translation>Acknowledge selected</translation>
    </message>
    <message>
        <source>全部确认</source>
        <translation>Acknowledge all</translation>
    </message>
</context>
<context>
    <name>AlarmSettingsDialog</name>
    <message>
        <source>报警设置</source>
        <translation>Alarm settings</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>阈值 (MPa)</source>
        <translation>Threshold (MPa)</translation>
    </message>
    <message>
        <source>延时 (秒)</source>
        <translation>Delay (s)</translation>
    </message>
    <message>
        <source>启动后 / 时间窗 (秒)</source>
        <translation>Grace / window (s)</translation>
    </message>
    <message>
        <source>动作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>On</translation>
    </message>
    <message>
        <source>%1 阈值，兆帕，0 为关</source>
        <translation>%1 threshold, megapascals, 0 is off</translation>
    </message>
    <message>
        <source>%1 延时，秒</source>
        <translation>%1 delay, seconds</translation>
    </message>
    <message>
        <source>%1 启动后不判断，秒</source>
        <translation>%1 grace after a start, seconds</translation>
    </message>
    <message>
        <source>%1 时间窗，秒</source>
        <translation>%1 window, seconds</translation>
    </message>
    <message>
        <source>%1 动作</source>
        <translation>%1 action</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warn</translation>
    </message>
    <message>
        <source>停泵</source>
        <translation>Stop pump</translation>
    </message>
    <message>
        <source>%1 启用</source>
        <translation>%1 on</translation>
    </message>
    <message>
        <source>报警时运行的程序</source>
        <translation>Program to run on alarms</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>CsvLog</name>
    <message>
        <source>CSV记录</source>
        <translation>CSV log</translation>
    </message>
    <message>
        <source>CSV记录开始：%1</source>
        <translation>CSV log started: %1</translation>
    </message>
    <message>
        <source>CSV记录已关闭：%1</source>
        <translation>CSV log closed: %1</translation>
    </message>
</context>
<context>
    <name>DoseWindow</name>
    <message>
        <source>定量输送</source>
        <translation>Deliver volume</translation>
    </message>
    <message>
        <source>定量输送进度</source>
        <translation>Volume delivery progress</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>已输送 %1 ml / 目标 %2 ml，剩余 %3</source>
        <translation>Delivered %1 ml of %2 ml, %3 left</translation>
    </message>
    <message>
        <source>已暂停：</source>
        <translation>Paused: </translation>
    </message>
    <message>
        <source>已结束：</source>
        <translation>Ended: </translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>输入流量</source>
        <translation>Enter a flow</translation>
    </message>
    <message>
        <source>输入压力</source>
        <translation>Enter a pressure limit</translation>
    </message>
    <message>
        <source>运行泵</source>
        <translation>Run the pump</translation>
    </message>
    <message>
        <source>停止泵</source>
        <translation>Stop the pump</translation>
    </message>
    <message>
        <source>输入 0</source>
        <translation>Enter 0</translation>
    </message>
    <message>
        <source>文件(F)</source>
        <translation>File (F)</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>查看记录</source>
        <translation>View record</translation>
    </message>
    <message>
        <source>运行历史</source>
        <translation>Run history</translation>
    </message>
    <message>
        <source>CSV记录</source>
        <translation>CSV log</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>定时(T)</source>
        <translation>Timed run (T)</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Set run time</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>泵(O)</source>
        <translation>Pump (O)</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>设定(S)</source>
        <translation>Settings (S)</translation>
    </message>
    <message>
        <source>流量</source>
        <translation>Flow</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>泵编号</source>
        <translation>Pump number</translation>
    </message>
    <message>
        <source>通信</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>右键</source>
        <translation>Pop-up</translation>
    </message>
    <message>
        <source>帮助(H)</source>
        <translation>Help (H)</translation>
    </message>
    <message>
        <source>设定流量</source>
        <translation>Flow setting</translation>
    </message>
    <message>
        <source>毫升每分钟</source>
        <translation>millilitres per minute</translation>
    </message>
    <message>
        <source>设定压力</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>兆帕</source>
        <translation>megapascals</translation>
    </message>
    <message>
        <source>当前压力</source>
        <translation>Current pressure</translation>
    </message>
    <message>
        <source>压力曲线</source>
        <translation>Pressure chart</translation>
    </message>
    <message>
        <source>泵当前压力，兆帕</source>
        <translation>Current pressure of the pump, megapascals</translation>
    </message>
    <message>
        <source>小时</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>时</source>
        <comment>label after the hours</comment>
        <translation>h</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>分</source>
        <comment>label after the minutes</comment>
        <translation>m</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>秒</source>
        <comment>label after the seconds</comment>
        <translation>s</translation>
    </message>
    <message>
        <source>泵控制面板</source>
        <translation>Pump control panel</translation>
    </message>
    <message>
        <source>菜单栏</source>
        <translation>Menu bar</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>连接状态</source>
        <translation>Connection status</translation>
    </message>
    <message>
        <source>运行历史不可用：没有运行记录文件</source>
        <translation>Run history not available: no run history file</translation>
    </message>
    <message>
        <source>无法打开运行历史 %1：%2</source>
        <translation>Cannot open the run history %1: %2</translation>
    </message>
    <message>
        <source>%1，%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>定量输送</source>
        <translation>Deliver volume</translation>
    </message>
    <message>
        <source>运行程序</source>
        <translation>Run program</translation>
    </message>
    <message>
        <source>报警设置…</source>
        <translation>Alarm settings…</translation>
    </message>
    <message>
        <source>报警记录…</source>
        <translation>Alarm list…</translation>
    </message>
    <message>
        <source>中断</source>
        <comment>value box while the link is lost</comment>
        <translation>Lost</translation>
    </message>
    <message>
        <source>泵状态
%1</source>
        <translation>Pump state
%1</translation>
    </message>
    <message>
        <source>泵状态：%1</source>
        <translation>Pump state: %1</translation>
    </message>
    <message>
        <source>报警：%1</source>
        <translation>Alarm: %1</translation>
    </message>
    <message>
        <source>报警设置已生效，但无法写入设置文件：%1</source>
        <translation>The alarm settings are in force, but the settings file cannot be written: %1</translation>
    </message>
    <message>
        <source>报警设置</source>
        <translation>Alarm settings</translation>
    </message>
    <message>
        <source>端口…</source>
        <translation>Port…</translation>
    </message>
    <message>
        <source>远程访问…</source>
        <translation>Remote access…</translation>
    </message>
    <message>
        <source>MQTT…</source>
        <translation>MQTT…</translation>
    </message>
    <message>
        <source>远程访问状态</source>
        <translation>Remote access state</translation>
    </message>
    <message>
        <source>MQTT 状态</source>
        <translation>MQTT state</translation>
    </message>
    <message>
        <source>无法保存设置 %1：%2</source>
        <translation>Cannot save the settings %1: %2</translation>
    </message>
    <message>
        <source>远程访问无法启动：%1</source>
        <translation>Remote access cannot start: %1</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>回到主窗口</source>
        <translation>Back to the main window</translation>
    </message>
    <message>
        <source>读取记录</source>
        <translation>Read record</translation>
    </message>
    <message>
        <source>显示记录文件的最后一行</source>
        <translation>Shows the last line of the record file</translation>
    </message>
    <message>
        <source>记录的最后一行</source>
        <translation>Last line of the record</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>事件</source>
        <comment>column heading</comment>
        <translation>Event</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>运行历史</source>
        <translation>Run history</translation>
    </message>
    <message>
        <source>全部显示</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>显示所选运行的全部时间</source>
        <translation>Show the whole of the chosen run</translation>
    </message>
    <message>
        <source>回到实时</source>
        <translation>Back to live</translation>
    </message>
    <message>
        <source>跟随最新读数</source>
        <translation>Follow the latest readings</translation>
    </message>
    <message>
        <source>导出读数CSV…</source>
        <translation>Export readings CSV…</translation>
    </message>
    <message>
        <source>所示范围的读数</source>
        <translation>The readings of the range shown</translation>
    </message>
    <message>
        <source>导出事件CSV…</source>
        <translation>Export events CSV…</translation>
    </message>
    <message>
        <source>所示范围的事件</source>
        <translation>The events of the range shown</translation>
    </message>
    <message>
        <source>导出图片…</source>
        <translation>Export picture…</translation>
    </message>
    <message>
        <source>曲线存为PNG图片</source>
        <translation>The plot as a PNG picture</translation>
    </message>
    <message>
        <source>导出PDF…</source>
        <translation>Export PDF…</translation>
    </message>
    <message>
        <source>曲线存为PDF</source>
        <translation>The plot as a PDF</translation>
    </message>
    <message>
        <source>运行报告PDF…</source>
        <translation>Run report PDF…</translation>
    </message>
    <message>
        <source>一页报告：曲线、光标统计、事件</source>
        <translation>One-page report: plot, cursor statistics, events</translation>
    </message>
    <message>
        <source>打印报告…</source>
        <translation>Print report…</translation>
    </message>
    <message>
        <source>在打印机上打印一页报告</source>
        <translation>Print the one-page report</translation>
    </message>
    <message>
        <source>运行记录</source>
        <translation>Runs</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>读数</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>将鼠标移到曲线上查看数值</source>
        <translation>Move the mouse over the plot to read the values</translation>
    </message>
    <message>
        <source>运行中</source>
        <translation>running</translation>
    </message>
    <message>
        <source>（未结束）</source>
        <translation> (not ended)</translation>
    </message>
    <message>
        <source>（未正常结束）</source>
        <translation> (ended abnormally)</translation>
    </message>
    <message>
        <source>运行 %1，端口 %2</source>
        <translation>Run %1, port %2</translation>
    </message>
    <message>
        <source>未打开</source>
        <translation>none opened</translation>
    </message>
    <message>
        <source>统计中…</source>
        <translation>Calculating…</translation>
    </message>
    <message>
        <source>时间 </source>
        <translation>Time </translation>
    </message>
    <message>
        <source>    压力 %1    压力上限 %2    流量设定 %3</source>
        <translation>    Pressure %1    Pressure limit %2    Flow setting %3</translation>
    </message>
    <message>
        <source>    此时没有读数</source>
        <translation>    No reading at this time</translation>
    </message>
    <message>
        <source>单击曲线放置光标1和光标2，查看两者之间的统计</source>
        <translation>Click the plot to place cursor 1 and cursor 2 and see the statistics between them</translation>
    </message>
    <message>
        <source>光标 %1 至 %2，间隔 %3
%4</source>
        <translation>Cursors %1 to %2, %3 apart
%4</translation>
    </message>
    <message>
        <source>运行 %1  %2 至 %3</source>
        <translation>Run %1  %2 to %3</translation>
    </message>
    <message>
        <source>导出失败：%1（%2）</source>
        <translation>Export failed: %1 (%2)</translation>
    </message>
    <message>
        <source>已导出读数：%1</source>
        <translation>Readings exported: %1</translation>
    </message>
    <message>
        <source>导出读数CSV</source>
        <translation>Export readings CSV</translation>
    </message>
    <message>
        <source>导出事件CSV</source>
        <translation>Export events CSV</translation>
    </message>
    <message>
        <source>已导出事件：%1</source>
        <translation>Events exported: %1</translation>
    </message>
    <message>
        <source>导出图片</source>
        <translation>Export picture</translation>
    </message>
    <message>
        <source>已导出图片：%1</source>
        <translation>Picture exported: %1</translation>
    </message>
    <message>
        <source>导出PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>已导出PDF：%1</source>
        <translation>PDF exported: %1</translation>
    </message>
    <message>
        <source>运行报告PDF</source>
        <translation>Run report PDF</translation>
    </message>
    <message>
        <source>已保存运行报告：%1</source>
        <translation>Run report saved: %1</translation>
    </message>
    <message>
        <source>运行报告已打印</source>
        <translation>Run report printed</translation>
    </message>
    <message>
        <source>打印失败</source>
        <translation>Printing failed</translation>
    </message>
    <message>
        <source>打印失败：%1</source>
        <translation>Printing failed: %1</translation>
    </message>
    <message>
        <source>无读数的运行</source>
        <translation>Runs without readings</translation>
    </message>
    <message>
        <source>也列出没有读数的运行</source>
        <translation>List runs that have no readings as well</translation>
    </message>
    <message>
        <source>仍在记录</source>
        <translation>Still being written</translation>
    </message>
    <message>
        <source>曲线与坐标轴…</source>
        <translation>Traces and axes…</translation>
    </message>
    <message>
        <source>显示或隐藏曲线，手动设定或自动选择坐标轴范围</source>
        <translation>Show or hide traces; set the axis ranges by hand or leave them automatic</translation>
    </message>
    <message>
        <source>滚轮缩放 · 左键拖动平移 · 右键（或Shift+左键）拖出范围放大 · 单击或拖动放置光标1、2 · 单击图例隐藏或显示曲线</source>
        <translation>Wheel: zoom · left drag: pan · right drag (or Shift+left): zoom into a stretch · click or drag: cursors 1 and 2 · click a legend entry: hide or show its trace</translation>
    </message>
</context>
<context>
    <name>JournalFeed</name>
    <message>
        <source>运行历史</source>
        <translation>Run history</translation>
    </message>
</context>
<context>
    <name>Keypad</name>
    <message>
        <source>流量设定错误</source>
        <translation>Flow setting error</translation>
    </message>
    <message>
        <source>设定错误</source>
        <translation>Setting error</translation>
    </message>
    <message>
        <source>压力设定错误</source>
        <translation>Pressure limit error</translation>
    </message>
</context>
<context>
    <name>MqttDialog</name>
    <message>
        <source>MQTT 设置</source>
        <translation>MQTT settings</translation>
    </message>
    <message>
        <source>发布到 MQTT 服务器</source>
        <translation>Publish to an MQTT broker</translation>
    </message>
    <message>
        <source>服务器</source>
        <translation>Broker</translation>
    </message>
    <message>
        <source>默认（1883，TLS 为 8883）</source>
        <translation>Default (1883, 8883 with TLS)</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>CA 证书文件（TLS）</source>
        <translation>CA certificate file (TLS)</translation>
    </message>
    <message>
        <source>客户端证书文件</source>
        <translation>Client certificate file</translation>
    </message>
    <message>
        <source>客户端密钥文件</source>
        <translation>Client key file</translation>
    </message>
    <message>
        <source>客户端 ID</source>
        <translation>Client ID</translation>
    </message>
    <message>
        <source>主题根</source>
        <translation>Topic root</translation>
    </message>
    <message>
        <source>接受来自服务器的命令</source>
        <translation>Accept commands from the broker</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>未连接：%1 未发送</source>
        <translation>Not connected: %1 not sent</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>通信中断 %1 秒  %2</source>
        <translation>Link lost %1 s  %2</translation>
    </message>
    <message>
        <source>端口 %1 拒绝写入</source>
        <translation>port %1 refused the write</translation>
    </message>
    <message>
        <source>没有打开的端口</source>
        <translation>no port open</translation>
    </message>
    <message>
        <source>停止命令未送达</source>
        <translation>Stop command not delivered</translation>
    </message>
    <message>
        <source>无法打开端口 %1：%2</source>
        <translation>Cannot open port %1: %2</translation>
    </message>
    <message>
        <source>
仍在使用端口 %1。</source>
        <translation>
Still using port %1.</translation>
    </message>
    <message>
        <source>通信</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>停止命令 %1 已补发到 %2</source>
        <translation>Stop command %1 sent again to %2</translation>
    </message>
    <message>
        <source>压力记录文件：%1</source>
        <translation>Pressure record file: %1</translation>
    </message>
    <message>
        <source>端口 %1 已断开</source>
        <translation>Port %1 disconnected</translation>
    </message>
    <message>
        <source>端口 %1 已断开：%2
请用“通信”重新打开端口。</source>
        <translation>Port %1 disconnected: %2
Use “Communication” to open the port again.</translation>
    </message>
    <message>
        <source>设置文件 %1：%2 的值无效，使用默认值</source>
        <translation>Settings file %1: the value of %2 is not valid; the default is used</translation>
    </message>
    <message>
        <source>泵可能仍在运行：停止命令 %1 没有送到泵（%2）。
端口 %3 再次打开时首先发送停止命令；也可以在泵上直接停泵。</source>
        <translation>The pump may still be running: the stop command %1 did not reach the pump (%2).
The stop command goes out first when port %3 opens again; the pump can also be stopped at the pump itself.</translation>
    </message>
    <message>
        <source>泵（端口 %1）可能仍在运行：停止命令没有送到。</source>
        <translation>The pump (port %1) may still be running: the stop command did not reach it.</translation>
    </message>
    <message>
        <source>泵的实时值</source>
        <translation>live value from the pump</translation>
    </message>
    <message>
        <source>不是实时值：泵尚未回答</source>
        <translation>not live: the pump has not answered yet</translation>
    </message>
    <message>
        <source>不是实时值：通信中断</source>
        <translation>not live: link lost</translation>
    </message>
    <message>
        <source>不是实时值：未连接</source>
        <translation>not live: not connected</translation>
    </message>
    <message>
        <source>正在输入，尚未发送</source>
        <translation>being typed, not sent yet</translation>
    </message>
    <message>
        <source>设定错误，未发送到泵</source>
        <translation>setting refused, not sent to the pump</translation>
    </message>
    <message>
        <source>运行中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>已完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>目标 %1 分  剩余 %2
%3</source>
        <translation>Target %1 min  %2 left
%3</translation>
    </message>
    <message>
        <source>停止命令只发往端口 %1，不发往 %2。请重新打开端口 %1，或在泵上直接停泵。</source>
        <translation>The stop command goes only to port %1, not to %2. Open port %1 again, or stop the pump at the pump itself.</translation>
    </message>
    <message>
        <source>定时运行</source>
        <translation>timed run</translation>
    </message>
    <message>
        <source>定量输送</source>
        <translation>Deliver volume</translation>
    </message>
    <message>
        <source>程序</source>
        <translation>program</translation>
    </message>
    <message>
        <source>%1正在运行。结束它，开始%2吗？</source>
        <translation>A %1 is running. End it and start the %2?</translation>
    </message>
    <message>
        <source>输送量是按设定流量乘以泵运行的时间估算的，泵不报告实际输送了多少。</source>
        <translation>The volume is an estimate: the flow set point times the time the pump ran, since the pump does not report what it delivered.</translation>
    </message>
    <message>
        <source>请输入要输送的体积 单位 ml<byte value="xd"/>
体积范围为0.1—100000ml</source>
        <translation>Enter the volume to deliver in ml<byte value="xd"/>
Range 0.1–100000 ml</translation>
    </message>
    <message>
        <source>体积设定错误!</source>
        <translation>Invalid volume!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>请输入输送流量 单位 ml/min<byte value="xd"/>
流量范围为1—500ml/min</source>
        <translation>Enter the flow in ml/min<byte value="xd"/>
Range 1–500 ml/min</translation>
    </message>
    <message>
        <source>流量设定错误!</source>
        <translation>Flow setting error!</translation>
    </message>
    <message>
        <source>以 %1 ml/min 输送 %2 ml，需时 %3。</source>
        <translation>Delivering %2 ml at %1 ml/min takes %3.</translation>
    </message>
    <message>
        <source>开始输送吗？</source>
        <translation>Start the delivery?</translation>
    </message>
    <message>
        <source>通信中断：已暂停，通信恢复后请按“继续”</source>
        <translation>Link lost: paused. Press “Continue” once the link is back</translation>
    </message>
    <message>
        <source>端口 %1 已断开%2
请用“通信”重新打开端口。</source>
        <translation>Port %1 disconnected%2
Use “Communication” to open the port again.</translation>
    </message>
</context>
<context>
    <name>PlotViewDialog</name>
    <message>
        <source>曲线与坐标轴</source>
        <translation>Traces and axes</translation>
    </message>
    <message>
        <source>显示的曲线</source>
        <translation>Traces shown</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>压力上限</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>流量设定</source>
        <translation>Flow set point</translation>
    </message>
    <message>
        <source>坐标轴范围</source>
        <translation>Axis ranges</translation>
    </message>
    <message>
        <source>从</source>
        <translation>from</translation>
    </message>
    <message>
        <source>到</source>
        <translation>to</translation>
    </message>
    <message>
        <source>压力（左轴）</source>
        <translation>Pressure (left axis)</translation>
    </message>
    <message>
        <source>流量（右轴）</source>
        <translation>Flow (right axis)</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>压力轴自动</source>
        <translation>Pressure axis automatic</translation>
    </message>
    <message>
        <source>流量轴自动</source>
        <translation>Flow axis automatic</translation>
    </message>
    <message>
        <source>压力轴下限</source>
        <translation>Pressure axis from</translation>
    </message>
    <message>
        <source>流量轴下限</source>
        <translation>Flow axis from</translation>
    </message>
    <message>
        <source>压力轴上限</source>
        <translation>Pressure axis to</translation>
    </message>
    <message>
        <source>流量轴上限</source>
        <translation>Flow axis to</translation>
    </message>
    <message>
        <source>“从”须小于“到”，范围未改</source>
        <translation>“from” must be less than “to”; the range is unchanged</translation>
    </message>
    <message>
        <source>整个运行</source>
        <translation>Whole run</translation>
    </message>
    <message>
        <source>时间轴显示整个运行</source>
        <translation>Time axis shows the whole run</translation>
    </message>
    <message>
        <source>时间轴起点</source>
        <translation>Time axis from</translation>
    </message>
    <message>
        <source>时间轴终点</source>
        <translation>Time axis to</translation>
    </message>
    <message>
        <source>时间（横轴）</source>
        <translation>Time (bottom axis)</translation>
    </message>
    <message>
        <source>“从”须早于“到”，范围未改</source>
        <translation>“from” must be before “to”; the range is unchanged</translation>
    </message>
</context>
<context>
    <name>ProgramPicture</name>
    <message>
        <source>%1 ml/min</source>
        <translation>%1 ml/min</translation>
    </message>
</context>
<context>
    <name>ProgramWindow</name>
    <message>
        <source>运行程序</source>
        <translation>Run program</translation>
    </message>
    <message>
        <source>程序步骤</source>
        <translation>Program steps</translation>
    </message>
    <message>
        <source>时长（秒或 分:秒）</source>
        <translation>Duration (s or m:ss)</translation>
    </message>
    <message>
        <source>流量（ml/min）</source>
        <translation>Flow (ml/min)</translation>
    </message>
    <message>
        <source>压力上限（MPa，可空）</source>
        <translation>Pressure limit (MPa, may be empty)</translation>
    </message>
    <message>
        <source>流量变化</source>
        <translation>Flow change</translation>
    </message>
    <message>
        <source>添加步骤</source>
        <translation>Add step</translation>
    </message>
    <message>
        <source>删除步骤</source>
        <translation>Remove step</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>总时间和计划体积</source>
        <translation>Total time and planned volume</translation>
    </message>
    <message>
        <source>程序流量图</source>
        <translation>Program flow picture</translation>
    </message>
    <message>
        <source>结束后保持运行</source>
        <translation>Keep running at the end</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>unnamed</translation>
    </message>
    <message>
        <source>程序进度</source>
        <translation>Program progress</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>运行中手动给出的流量或压力已发送并记录；程序的下一条命令会覆盖它。</source>
        <translation>A flow or pressure set by hand during the program was sent and recorded; the program’s next command overrides it.</translation>
    </message>
    <message>
        <source>阶跃</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>线性</source>
        <translation>Ramp</translation>
    </message>
    <message>
        <source>第 %1 行 %2：%3</source>
        <translation>Row %1, %2: %3</translation>
    </message>
    <message>
        <source>程序没有步骤</source>
        <translation>The program has no steps</translation>
    </message>
    <message>
        <source>总时间 %1，计划体积 %2 ml</source>
        <translation>Total time %1, planned volume %2 ml</translation>
    </message>
    <message>
        <source>未运行</source>
        <translation>Not running</translation>
    </message>
    <message>
        <source>第 %1/%2 步，本步剩余 %3，总剩余 %4，已输送约 %5 ml</source>
        <translation>Step %1/%2, %3 left in the step, %4 left in all, about %5 ml delivered</translation>
    </message>
    <message>
        <source>已暂停：</source>
        <translation>Paused: </translation>
    </message>
    <message>
        <source>无法打开程序 %1：%2</source>
        <translation>Cannot open the program %1: %2</translation>
    </message>
    <message>
        <source>无法打开程序 %1：
第 %2 行：%3</source>
        <translation>Cannot open the program %1:
line %2: %3</translation>
    </message>
    <message>
        <source>运行程序 - %1</source>
        <translation>Run program - %1</translation>
    </message>
    <message>
        <source>打开程序</source>
        <translation>Open program</translation>
    </message>
    <message>
        <source>程序 (*.csv)</source>
        <translation>Programs (*.csv)</translation>
    </message>
    <message>
        <source>程序有错误，未保存：%1</source>
        <translation>The program has errors and was not saved: %1</translation>
    </message>
    <message>
        <source>保存程序</source>
        <translation>Save program</translation>
    </message>
    <message>
        <source>无法保存程序 %1：%2</source>
        <translation>Cannot save the program %1: %2</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>压力记录已满（%1 个数值），此后的读数不再记录</source>
        <translation>Pressure record full (%1 values): later readings are not kept</translation>
    </message>
    <message>
        <source>当前压力数值以存储</source>
        <translation>Pressure values saved</translation>
    </message>
    <message>
        <source>存储数据</source>
        <translation>Save data</translation>
    </message>
    <message>
        <source>打印测试</source>
        <translation>Print test</translation>
    </message>
    <message>
        <source>泵启动和停止时间记录</source>
        <translation>Pump start and stop record</translation>
    </message>
    <message>
        <source>压力数值未能存储到 %1：%2</source>
        <translation>Pressure values not saved to %1: %2</translation>
    </message>
    <message>
        <source>还没有存储过压力记录（%1 不存在）</source>
        <translation>No pressure record saved yet (%1 does not exist)</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
</context>
<context>
    <name>RemoteAccess</name>
    <message numerus="yes">
        <source>远程访问 %1 · %n 个客户端</source>
        <translation>
            <numerusform>Remote access %1 · %n client</numerusform>
            <numerusform>Remote access %1 · %n clients</numerusform>
        </translation>
    </message>
    <message>
        <source>远程访问未加密</source>
        <translation>Remote access unencrypted</translation>
    </message>
</context>
<context>
    <name>RemoteDialog</name>
    <message>
        <source>远程访问</source>
        <translation>Remote access</translation>
    </message>
    <message>
        <source>开启远程访问</source>
        <translation>Turn remote access on</translation>
    </message>
    <message>
        <source>监听地址</source>
        <translation>Listening address</translation>
    </message>
    <message>
        <source>允许远程控制（运行、停止、设定）</source>
        <translation>Allow remote control (run, stop, set points)</translation>
    </message>
    <message>
        <source>允许远程控制</source>
        <translation>Allow remote control</translation>
    </message>
    <message>
        <source>带令牌的链接</source>
        <translation>Link with the token</translation>
    </message>
    <message>
        <source>复制链接</source>
        <translation>Copy link</translation>
    </message>
    <message>
        <source>更换令牌</source>
        <translation>Replace token</translation>
    </message>
    <message>
        <source>立即关闭</source>
        <translation>Turn off now</translation>
    </message>
    <message>
        <source>立即关闭远程访问</source>
        <translation>Turn remote access off now</translation>
    </message>
    <message>
        <source>远程访问未加密</source>
        <translation>Remote access unencrypted</translation>
    </message>
    <message>
        <source>远程访问状态</source>
        <translation>Remote access state</translation>
    </message>
    <message>
        <source>监听地址：</source>
        <translation>Listening address:</translation>
    </message>
    <message>
        <source>链接：</source>
        <translation>Link:</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>监听地址无效：%1（例如 127.0.0.1:8470）</source>
        <translation>Invalid listening address: %1 (for example 127.0.0.1:8470)</translation>
    </message>
    <message>
        <source>开启后在此显示一次</source>
        <translation>Shown here once after turning on</translation>
    </message>
    <message>
        <source>令牌已设定，不再显示；可更换令牌</source>
        <translation>The token is set and not shown again; it can be replaced</translation>
    </message>
    <message>
        <source>远程访问已关闭</source>
        <translation>Remote access is off</translation>
    </message>
</context>
<context>
    <name>SetPoints</name>
    <message>
        <source>请输入您需要的流量 单位 ml/min <byte value="xd"/>
流量范围为1—500ml/min</source>
        <translation>Enter the flow in ml/min<byte value="xd"/>
Range 1—500 ml/min</translation>
    </message>
    <message>
        <source>流量设定</source>
        <translation>Flow setting</translation>
    </message>
    <message>
        <source>流量设定错误!</source>
        <translation>Flow setting error!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>请输入您需要保护压 单位 MPa<byte value="xd"/>
压力设定范围为0—2.0MPa</source>
        <translation>Enter the pressure limit in MPa<byte value="xd"/>
Range 0—2.0 MPa</translation>
    </message>
    <message>
        <source>压力设定</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>压力设定错误!</source>
        <translation>Pressure limit error!</translation>
    </message>
    <message>
        <source>请输入要控制泵的编号 </source>
        <translation>Enter the number of the pump to control</translation>
    </message>
    <message>
        <source>编号设定</source>
        <translation>Pump number</translation>
    </message>
    <message>
        <source>泵编号设定错误! 编号范围为0—99</source>
        <translation>Pump number error! Range 0—99</translation>
    </message>
</context>
<context>
    <name>TimedRun</name>
    <message>
        <source>请输入设定时间 单位 分 </source>
        <translation>Enter the run time in minutes</translation>
    </message>
    <message>
        <source>时间设定</source>
        <translation>Run time</translation>
    </message>
</context>
<context>
    <name>alarms</name>
    <message>
        <source>压力过高</source>
        <translation>High pressure</translation>
    </message>
    <message>
        <source>压力过低</source>
        <translation>Low pressure</translation>
    </message>
    <message>
        <source>压力骤降</source>
        <translation>Pressure drop</translation>
    </message>
    <message>
        <source>达到压力上限</source>
        <translation>Pressure limit reached</translation>
    </message>
    <message>
        <source>通信中断</source>
        <translation>Link lost</translation>
    </message>
    <message>
        <source>停止命令未送达</source>
        <translation>Stop not delivered</translation>
    </message>
    <message>
        <source>运行记录中断</source>
        <translation>History not recording</translation>
    </message>
</context>
<context>
    <name>artwork</name>
    <message>
        <source>恒流泵 控制面板</source>
        <translation>Constant-flow pump control panel</translation>
    </message>
    <message>
        <source>当前压力</source>
        <translation>Current pressure</translation>
    </message>
    <message>
        <source>设定压力</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>设定流量</source>
        <translation>Flow setting</translation>
    </message>
    <message>
        <source>泵当前压力 (MPa)</source>
        <translation>Current pump pressure (MPa)</translation>
    </message>
</context>
<context>
    <name>history</name>
    <message>
        <source>端口打开</source>
        <translation>Port opened</translation>
    </message>
    <message>
        <source>端口打开失败</source>
        <translation>Port open failed</translation>
    </message>
    <message>
        <source>端口关闭</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>端口丢失</source>
        <translation>Port lost</translation>
    </message>
    <message>
        <source>通信中断</source>
        <translation>Link lost</translation>
    </message>
    <message>
        <source>通信恢复</source>
        <translation>Link restored</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>流量设定</source>
        <translation>Flow setting</translation>
    </message>
    <message>
        <source>压力设定</source>
        <translation>Pressure limit</translation>
    </message>
    <message>
        <source>泵编号设定</source>
        <translation>Pump number</translation>
    </message>
    <message>
        <source>定时设定</source>
        <translation>Run time set</translation>
    </message>
    <message>
        <source>定时开始</source>
        <translation>Timed run start</translation>
    </message>
    <message>
        <source>定时暂停</source>
        <translation>Timed run pause</translation>
    </message>
    <message>
        <source>定时继续</source>
        <translation>Timed run continue</translation>
    </message>
    <message>
        <source>定时结束</source>
        <translation>Timed run end</translation>
    </message>
    <message>
        <source>定时自动停止</source>
        <translation>Timed run auto stop</translation>
    </message>
    <message>
        <source>记录已保存</source>
        <translation>Record saved</translation>
    </message>
    <message>
        <source>记录保存失败</source>
        <translation>Record save failed</translation>
    </message>
    <message>
        <source>已打印</source>
        <translation>Printed</translation>
    </message>
    <message>
        <source>CSV记录开</source>
        <translation>CSV log on</translation>
    </message>
    <message>
        <source>CSV记录关</source>
        <translation>CSV log off</translation>
    </message>
    <message>
        <source>程序退出</source>
        <translation>Program exit</translation>
    </message>
    <message>
        <source>非正常结束</source>
        <translation>Ended abnormally</translation>
    </message>
    <message>
        <source>命令未发送（端口未打开）</source>
        <translation>Command not sent (no port open)</translation>
    </message>
    <message>
        <source>启动泵</source>
        <translation>Run pump</translation>
    </message>
    <message>
        <source>停止泵</source>
        <translation>Stop pump</translation>
    </message>
    <message>
        <source>流量命令</source>
        <translation>Flow command</translation>
    </message>
    <message>
        <source>压力命令</source>
        <translation>Pressure command</translation>
    </message>
    <message>
        <source>键盘</source>
        <translation>Keypad</translation>
    </message>
    <message>
        <source>菜单</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>右键菜单</source>
        <translation>Pop-up menu</translation>
    </message>
    <message>
        <source>对话框</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>定时</source>
        <translation>Timed run</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>压力 (MPa)</source>
        <translation>Pressure (MPa)</translation>
    </message>
    <message>
        <source>压力上限 (MPa)</source>
        <translation>Pressure limit (MPa)</translation>
    </message>
    <message>
        <source>流量设定 (ml/min，右轴)</source>
        <translation>Flow setting (ml/min, right axis)</translation>
    </message>
    <message>
        <source>此范围内没有读数</source>
        <translation>No readings in this range</translation>
    </message>
    <message>
        <source>运行历史曲线</source>
        <translation>Run history plot</translation>
    </message>
    <message>
        <source>……另有 %1 条</source>
        <translation>… %1 more</translation>
    </message>
    <message>
        <source>运行历史恢复记录：%1</source>
        <translation>Run history recording again: %1</translation>
    </message>
    <message>
        <source>（其间 %1 个读数未能记录）</source>
        <translation> (%1 readings could not be recorded meanwhile)</translation>
    </message>
    <message>
        <source>运行历史无法写入 %1：%2
面板照常工作；能够写入时自动继续记录。</source>
        <translation>Cannot write the run history %1: %2
The panel works as usual; recording resumes by itself once the file can be written.</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>；文件夹 %1 为只读</source>
        <translation>; the folder %1 is read-only</translation>
    </message>
    <message>
        <source>；文件为只读</source>
        <translation>; the file is read-only</translation>
    </message>
    <message>
        <source>文件由另一版本的程序建立（格式 %1），本程序不写入</source>
        <translation>The file was made by another version of the program (format %1); this program does not write to it</translation>
    </message>
    <message>
        <source>运行历史 %1 不是有效的数据库，已改名为 %2 保留；新的运行历史从现在开始。</source>
        <translation>The run history %1 is not a valid database; it was renamed %2 and kept. A new run history starts now.</translation>
    </message>
    <message>
        <source>%1 不存在</source>
        <translation>%1 does not exist</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 不是本程序的运行历史</source>
        <translation>%1 is not a run history of this program</translation>
    </message>
    <message>
        <source>运行报告</source>
        <translation>Run report</translation>
    </message>
    <message>
        <source>%1（未正常结束或仍在运行）</source>
        <translation>%1 (ended abnormally or still running)</translation>
    </message>
    <message>
        <source>运行 %1：%2 至 %3，时长 %4，读数 %5</source>
        <translation>Run %1: %2 to %3, length %4, readings %5</translation>
    </message>
    <message>
        <source>端口：%1    程序版本：%2</source>
        <translation>Port: %1    Program version: %2</translation>
    </message>
    <message>
        <source>未打开</source>
        <translation>none opened</translation>
    </message>
    <message>
        <source>所示范围：%1 至 %2（%3）</source>
        <translation>Range shown: %1 to %2 (%3)</translation>
    </message>
    <message>
        <source>光标之间</source>
        <translation>Between the cursors</translation>
    </message>
    <message>
        <source>%1 至 %2，间隔 %3</source>
        <translation>%1 to %2, %3 apart</translation>
    </message>
    <message>
        <source>未设光标</source>
        <translation>No cursors placed</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>事件</source>
        <comment>column heading</comment>
        <translation>Event</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>另有 %1 条事件未列出（见事件CSV）</source>
        <translation>%1 more events not listed (see the events CSV)</translation>
    </message>
    <message>
        <source>所示范围内没有事件</source>
        <translation>No events in the range shown</translation>
    </message>
    <message>
        <source>制表时间 %1    文件 %2</source>
        <translation>Made %1    File %2</translation>
    </message>
    <message>
        <source>文件正被其他程序占用</source>
        <translation>File in use by another program</translation>
    </message>
    <message>
        <source>文件或文件夹为只读</source>
        <translation>File or folder is read-only</translation>
    </message>
    <message>
        <source>读写出错（设备故障或已拔出）</source>
        <translation>Read or write error (device fault or unplugged)</translation>
    </message>
    <message>
        <source>不是有效的运行历史数据库</source>
        <translation>Not a valid run history database</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>无法打开文件</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>%1秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1分%2秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1小时%2分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1天%2小时</source>
        <translation>%1 d %2 h</translation>
    </message>
    <message>
        <source>记录文件已更换，另起运行</source>
        <translation>File replaced, run continued anew</translation>
    </message>
    <message>
        <source>时钟不可信，未清理旧运行</source>
        <translation>Clock not trusted, old runs kept</translation>
    </message>
    <message>
        <source>无法读取运行历史，曲线不完整，不予显示。
%1</source>
        <translation>The run history cannot be read; the incomplete plot is not shown.
%1</translation>
    </message>
    <message>
        <source>读取 %1 出错：%2</source>
        <translation>Error reading %1: %2</translation>
    </message>
    <message>
        <source>%1：最近的记录在 %2 中，但在此处无法读取（%3）；请把这两个文件一起复制到可写的文件夹后再打开</source>
        <translation>%1: the latest rows are in %2, which cannot be read here (%3); copy both files together to a writable folder and open them there</translation>
    </message>
    <message>
        <source>定量输送开始</source>
        <translation>Volume delivery started</translation>
    </message>
    <message>
        <source>定量输送结束</source>
        <translation>Volume delivery ended</translation>
    </message>
    <message>
        <source>程序开始</source>
        <translation>Program started</translation>
    </message>
    <message>
        <source>程序步骤</source>
        <translation>Program steps</translation>
    </message>
    <message>
        <source>程序暂停</source>
        <translation>Program paused</translation>
    </message>
    <message>
        <source>程序继续</source>
        <translation>Program continued</translation>
    </message>
    <message>
        <source>程序结束</source>
        <translation>Program ended</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>报警已确认</source>
        <translation>Alarm acknowledged</translation>
    </message>
    <message>
        <source>报警解除</source>
        <translation>Alarm cleared</translation>
    </message>
    <message>
        <source>报警静音</source>
        <translation>Alarm silenced</translation>
    </message>
    <message>
        <source>报警停泵</source>
        <translation>Alarm stopped the pump</translation>
    </message>
    <message>
        <source>报警命令无法启动</source>
        <translation>Alarm command did not start</translation>
    </message>
    <message>
        <source>停止命令未发往其他端口</source>
        <translation>Stop command not sent to another port</translation>
    </message>
    <message>
        <source>程序</source>
        <translation>program</translation>
    </message>
    <message>
        <source>远程</source>
        <translation>Remote</translation>
    </message>
    <message>
        <source>没有正常退出；运行 %1 开始时发现</source>
        <translation>No clean exit; noticed when run %1 started</translation>
    </message>
    <message>
        <source>无报警</source>
        <translation>No alarms</translation>
    </message>
    <message>
        <source>%1 %2 次</source>
        <translation>%1 ×%2</translation>
    </message>
    <message>
        <source>报警 %1 次：%2；报警持续共 %3</source>
        <translation>Alarms: %1 (%2); alarms stood %3 in all</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>无读数</source>
        <translation>No readings</translation>
    </message>
    <message>
        <source>流量设定 (ml/min)</source>
        <translation>Flow setting (ml/min)</translation>
    </message>
    <message>
        <source>光标1 压力 %1  流量 %2    光标2 压力 %3  流量 %4    差（2−1） 压力 %5  流量 %6</source>
        <translation>Cursor 1: pressure %1  flow %2    Cursor 2: pressure %3  flow %4    Difference (2−1): pressure %5  flow %6</translation>
    </message>
    <message>
        <source>远程访问开</source>
        <translation>Remote access on</translation>
    </message>
    <message>
        <source>远程访问关</source>
        <translation>Remote access off</translation>
    </message>
    <message>
        <source>远程访问拒绝</source>
        <translation>Remote access refused</translation>
    </message>
    <message>
        <source>MQTT已连接</source>
        <translation>MQTT connected</translation>
    </message>
    <message>
        <source>MQTT已断开</source>
        <translation>MQTT disconnected</translation>
    </message>
    <message>
        <source>MQTT</source>
        <translation>MQTT</translation>
    </message>
    <message>
        <source>估算，按设定流量；未计入断线、无端口或压力到上限的 %1</source>
        <translation>estimated from the set flow; leaves out %1 with the link lost, no port open or the pressure at its limit</translation>
    </message>
    <message>
        <source>估算，按设定流量</source>
        <translation>estimated from the set flow</translation>
    </message>
    <message>
        <source>压力 最小 %1  最大 %2  平均 %3    体积 %4 ml（%5）    读数 %6</source>
        <translation>Pressure min %1  max %2  mean %3    Volume %4 ml (%5)    Readings %6</translation>
    </message>
    <message>
        <source>单击隐藏此曲线</source>
        <translation>Click to hide this trace</translation>
    </message>
    <message>
        <source>单击显示此曲线</source>
        <translation>Click to show this trace</translation>
    </message>
</context>
<context>
    <name>platform::QtExportFiles</name>
    <message>
        <source>写入失败</source>
        <translation>Write failed</translation>
    </message>
</context>
<context>
    <name>platform::WebServer</name>
    <message>
        <source>无法读取证书或密钥：%1</source>
        <translation>Cannot read the certificate or key: %1</translation>
    </message>
    <message>
        <source>证书或密钥无效：%1, %2</source>
        <translation>Invalid certificate or key: %1, %2</translation>
    </message>
    <message>
        <source>无法监听 %1:%2</source>
        <translation>Cannot listen on %1:%2</translation>
    </message>
</context>
<context>
    <name>program</name>
    <message>
        <source>缺少时长</source>
        <translation>duration missing</translation>
    </message>
    <message>
        <source>时长不是秒数或 分:秒</source>
        <translation>duration is not seconds or m:ss</translation>
    </message>
    <message>
        <source>时长超出范围（大于 0，最多 100 小时）</source>
        <translation>duration out of range (above 0, at most 100 hours)</translation>
    </message>
    <message>
        <source>缺少流量</source>
        <translation>flow missing</translation>
    </message>
    <message>
        <source>流量不是数字</source>
        <translation>flow is not a number</translation>
    </message>
    <message>
        <source>流量超出范围 1—500 ml/min</source>
        <translation>flow out of range 1–500 ml/min</translation>
    </message>
    <message>
        <source>压力上限不是数字</source>
        <translation>pressure limit is not a number</translation>
    </message>
    <message>
        <source>压力上限超出范围 0—2.0 MPa</source>
        <translation>pressure limit out of range 0–2.0 MPa</translation>
    </message>
    <message>
        <source>变化方式应为 step 或 ramp</source>
        <translation>change must be step or ramp</translation>
    </message>
    <message>
        <source>多余的列</source>
        <translation>extra column</translation>
    </message>
    <message>
        <source>第一步不能是线性变化：没有前一步的流量</source>
        <translation>the first step cannot be a ramp: there is no flow before it</translation>
    </message>
    <message>
        <source>文件不是 UTF-8 文本</source>
        <translation>the file is not UTF-8 text</translation>
    </message>
    <message>
        <source>第一行应为 %1</source>
        <translation>the first line must be %1</translation>
    </message>
    <message>
        <source>空行</source>
        <translation>empty line</translation>
    </message>
    <message>
        <source>步骤过多（最多 1000 步）</source>
        <translation>too many steps (at most 1000)</translation>
    </message>
    <message>
        <source>应有 4 列，实有 %1 列</source>
        <translation>4 columns expected, %1 found</translation>
    </message>
    <message>
        <source>程序没有步骤</source>
        <translation>The program has no steps</translation>
    </message>
</context>
<context>
    <name>pump-history</name>
    <message>
        <source>--session 需要运行编号，而不是“%1”</source>
        <translation>--session wants a session number, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 中没有运行 %2</source>
        <translation>%1 holds no session %2</translation>
    </message>
    <message>
        <source>%1 中没有运行记录</source>
        <translation>%1 holds no session</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>运行 %2 的 %1 个读数已写入 %3</source>
        <translation>%1 readings of session %2 written to %3</translation>
    </message>
    <message>
        <source>显示泵控制面板的运行历史：各次运行的压力、设定值和事件随时间的变化。
使用 --csv 时，把一次运行的读数写成CSV后退出（默认为最新一次运行，
可用 --session 指定）。</source>
        <translation>Shows the pump panel&apos;s run history: sessions, pressure, set points and events over time.
With --csv, writes one session&apos;s readings as CSV and exits (the newest session unless
--session says which).</translation>
    </message>
    <message>
        <source>把读数写到 &lt;out.csv&gt;（“-”：标准输出）后退出。</source>
        <translation>Write the readings to &lt;out.csv&gt; (&quot;-&quot;: standard output) and exit.</translation>
    </message>
    <message>
        <source>要写出的运行（默认：最新一次）。</source>
        <translation>The session to write (default: the newest).</translation>
    </message>
    <message>
        <source>运行历史文件（默认：%1）。</source>
        <translation>The journal (default: %1).</translation>
    </message>
    <message>
        <source>最多只能给一个运行历史文件；见 --help</source>
        <translation>one journal file at most; see --help</translation>
    </message>
    <message>
        <source>--session 须与 --csv 一起使用；见 --help</source>
        <translation>--session goes with --csv; see --help</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>无法读取运行历史文件 %1：%2</source>
        <translation>Cannot read the run history file %1: %2</translation>
    </message>
    <message>
        <source>运行历史</source>
        <translation>Run history</translation>
    </message>
    <message>
        <source>导出未完成，%1 未写出：%2</source>
        <translation>Export not completed, %1 not written: %2</translation>
    </message>
</context>
<context>
    <name>pump-panel</name>
    <message>
        <source>泵控制面板：设定流量和压力上限，运行并监视串口上的液体泵。</source>
        <translation>Pump control panel: set the flow and the pressure limit, run and watch a liquid pump on a serial port.</translation>
    </message>
    <message>
        <source>在内置模拟泵上启动：端口提示中已填好“sim”。</source>
        <translation>Start on the built-in simulated pump, with &quot;sim&quot; filled in at the port prompt.</translation>
    </message>
    <message>
        <source>启动时在“运行程序”窗口中打开程序文件（不运行）。</source>
        <translation>Start with the program FILE open in the “Run program” window (not running).</translation>
    </message>
</context>
<context>
    <name>pumpsim</name>
    <message>
        <source>内置模拟泵</source>
        <translation>built-in simulated pump</translation>
    </message>
</context>
<context>
    <name>recorded</name>
    <message>
        <source>无法打开该设备</source>
        <translation>Cannot open this device</translation>
    </message>
    <message>
        <source>端口不存在</source>
        <translation>Port does not exist</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>File does not exist</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>Folder does not exist</translation>
    </message>
    <message>
        <source>设备不存在</source>
        <translation>Device does not exist</translation>
    </message>
    <message>
        <source>路径中有一项不是文件夹</source>
        <translation>Part of the path is not a folder</translation>
    </message>
    <message>
        <source>不是串口设备</source>
        <translation>Not a serial port</translation>
    </message>
    <message>
        <source>这是文件夹，不是文件</source>
        <translation>This is a folder, not a file</translation>
    </message>
    <message>
        <source>无权访问端口</source>
        <translation>No permission to use the port</translation>
    </message>
    <message>
        <source>没有访问权限</source>
        <translation>No permission</translation>
    </message>
    <message>
        <source>端口被其他程序占用</source>
        <translation>Port in use by another program</translation>
    </message>
    <message>
        <source>同名文件已存在</source>
        <translation>A file of that name exists</translation>
    </message>
    <message>
        <source>文件正被其他程序占用</source>
        <translation>File in use by another program</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>磁盘配额已用完</source>
        <translation>Disk quota used up</translation>
    </message>
    <message>
        <source>文件系统为只读</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>文件超过系统允许的大小</source>
        <translation>File larger than the system allows</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>端口已断开</source>
        <translation>Port disconnected</translation>
    </message>
    <message>
        <source>读写出错（设备故障或已拔出）</source>
        <translation>Read or write error (device fault or unplugged)</translation>
    </message>
    <message>
        <source>无法读取文件</source>
        <translation>Cannot read the file</translation>
    </message>
    <message>
        <source>无法写入文件</source>
        <translation>Cannot write the file</translation>
    </message>
    <message>
        <source>磁盘已满或系统资源不足</source>
        <translation>Disk full or out of system resources</translation>
    </message>
    <message>
        <source>无法打开文件</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>无法替换原有文件</source>
        <translation>Cannot replace the existing file</translation>
    </message>
    <message>
        <source>无法改变文件大小</source>
        <translation>Cannot change the file size</translation>
    </message>
    <message>
        <source>操作已取消</source>
        <translation>Operation cancelled</translation>
    </message>
    <message>
        <source>操作超时</source>
        <translation>Operation timed out</translation>
    </message>
    <message>
        <source>文件操作失败</source>
        <translation>File operation failed</translation>
    </message>
    <message>
        <source>端口已打开</source>
        <translation>Port already open</translation>
    </message>
    <message>
        <source>端口未打开</source>
        <translation>Port not open</translation>
    </message>
    <message>
        <source>无法向端口写入</source>
        <translation>Cannot write to the port</translation>
    </message>
    <message>
        <source>端口不支持该设置</source>
        <translation>Port does not support the settings</translation>
    </message>
    <message>
        <source>端口超时</source>
        <translation>Port timed out</translation>
    </message>
    <message>
        <source>端口错误</source>
        <translation>Port error</translation>
    </message>
    <message>
        <source>没有打开的文件</source>
        <translation>No file open</translation>
    </message>
    <message>
        <source>%1 不是文件夹</source>
        <translation>%1 is not a folder</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1：%2</source>
        <translation>Cannot create the folder %1: %2</translation>
    </message>
    <message>
        <source>无法在 %1 建立CSV记录文件：%2
CSV记录已关闭；泵的控制不受影响。</source>
        <translation>Cannot create a CSV log file in %1: %2
The CSV log is off; pump control is not affected.</translation>
    </message>
    <message>
        <source>CSV记录无法写入 %1：%2
CSV记录已关闭，此前写入的各行仍在文件中；泵的控制不受影响。</source>
        <translation>Cannot write the CSV log %1: %2
The CSV log is off; the lines written before stay in the file. Pump control is not affected.</translation>
    </message>
    <message>
        <source>模拟泵的端口名是“%1”，不是“%2”</source>
        <translation>The simulated pump&apos;s port is &quot;%1&quot;, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>模拟泵的端口未打开</source>
        <translation>The simulated pump&apos;s port is not open</translation>
    </message>
</context>
<context>
    <name>remote::MqttPublisher</name>
    <message>
        <source>MQTT 正在连接 %1</source>
        <translation>MQTT connecting to %1</translation>
    </message>
    <message>
        <source>MQTT 已连接 %1</source>
        <translation>MQTT connected to %1</translation>
    </message>
    <message>
        <source>MQTT 未连接（%1），%2 秒后重试</source>
        <translation>MQTT not connected (%1), trying again in %2 s</translation>
    </message>
    <message>
        <source>MQTT 服务器 %1 拒绝了登录：%2</source>
        <translation>The MQTT broker %1 refused the login: %2</translation>
    </message>
    <message>
        <source>MQTT 服务器 %1 的证书未被接受：%2</source>
        <translation>The certificate of the MQTT broker %1 was not accepted: %2</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>无法写入设置文件</source>
        <translation>Cannot write the settings file</translation>
    </message>
    <message>
        <source>设置文件格式错误</source>
        <translation>The settings file is malformed</translation>
    </message>
</context>
</TS>
