#include "remote/page.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace remote::page {

namespace {

QString t(const char* text)
{
    return QCoreApplication::translate("remote", text);
}

const char kPage[] = R"HTML(<!DOCTYPE html>
<html lang="%LANG%"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%TITLE%</title>
<style>
body{font-family:system-ui,sans-serif;margin:0;background:#f3f5f7;color:#1d2733}
header{background:#23415e;color:#fff;padding:.6em 1em;display:flex;flex-wrap:wrap;gap:.3em 1em;align-items:baseline}
header h1{font-size:1.15em;margin:0}
#gone{display:none;background:#b3261e;color:#fff;padding:.6em 1em;font-weight:bold}
main{padding:1em;max-width:960px;margin:auto}
.values{display:grid;grid-template-columns:repeat(auto-fit,minmax(180px,1fr));gap:.8em}
.value{background:#fff;border-radius:8px;padding:.6em 1em;box-shadow:0 1px 3px #0002}
.value .label{font-size:.9em;color:#4a5a6a}
.value .number{font-size:2.6em;font-weight:600;font-variant-numeric:tabular-nums}
.value .unit{font-size:.9em;color:#4a5a6a}
section{background:#fff;border-radius:8px;padding:.6em 1em;margin-top:.8em;box-shadow:0 1px 3px #0002}
h2{font-size:1em;margin:.2em 0 .5em}
#alarms li{color:#b3261e}
canvas{width:100%;height:180px;display:block}
#controls{display:none}
#controls button,#controls input{font-size:1em;padding:.4em .8em;margin:.2em}
#controls input{width:6em}
#answer{color:#4a5a6a;min-height:1.2em}
</style></head><body>
<header><h1>%TITLE%</h1><span id="link"></span><span id="state"></span></header>
<div id="gone" role="alert">%GONE%</div>
<main>
<div class="values">
<div class="value"><div class="label">%PRESSURE%</div><span class="number" id="pressure">–</span> <span class="unit">MPa</span></div>
<div class="value"><div class="label">%LIMIT%</div><span class="number" id="limit">–</span> <span class="unit">MPa</span></div>
<div class="value"><div class="label">%FLOW%</div><span class="number" id="flow">–</span> <span class="unit">ml/min</span></div>
</div>
<section><h2>%ALARMS%</h2><ul id="alarms"></ul><div id="noalarms">%NOALARMS%</div></section>
<section><h2>%TREND%</h2><canvas id="trend" width="900" height="180" aria-label="%TREND%"></canvas></section>
<section id="controls"><h2>%CONTROL%</h2>
<button id="run">%RUN%</button><button id="stop">%STOP%</button>
<span><input id="flowin" type="number" min="1" max="500" step="1" aria-label="%FLOW%"><button id="setflow">%SETFLOW%</button></span>
<span><input id="limitin" type="number" min="0" max="2" step="0.1" aria-label="%LIMIT%"><button id="setlimit">%SETLIMIT%</button></span>
<button id="ack">%ACK%</button><div id="answer"></div></section>
</main>
<script>
"use strict";
const T=%TEXTS%;
const m=location.hash.match(/token=([A-Za-z0-9_-]+)/);
if(m){localStorage.setItem("pumpToken",m[1]);history.replaceState(null,"",location.pathname+location.search);}
const token=localStorage.getItem("pumpToken")||"";
const auth=token?{"Authorization":"Bearer "+token}:{};
const $=id=>document.getElementById(id);
let points=[];
const fmt=(v,d)=>v===null||v===undefined?"–":Number(v).toFixed(d);
function show(s){
 $("pressure").textContent=fmt(s.pressure_mpa,1);$("limit").textContent=fmt(s.pressure_limit_mpa,1);
 $("flow").textContent=fmt(s.flow_ml_min,0);
 if(s.link!==undefined)$("link").textContent=T.link[s.link]||s.link;
 if(s.running!==undefined){
  let st=[s.running?T.running:T.stopped];
  if(s.timed_run)st.push(T.timed+" "+(T[s.timed_run.state]||s.timed_run.state)+" "+s.timed_run.elapsed_s+" s / "+s.timed_run.duration_min+" min");
  if(s.dose)st.push(T.dose+" "+JSON.stringify(s.dose));
  if(s.program)st.push(T.program+" "+JSON.stringify(s.program));
  $("state").textContent=st.join(" · ");
  const ul=$("alarms");ul.textContent="";
  (s.alarms||[]).forEach(a=>{const li=document.createElement("li");li.textContent=a.text||a.name||JSON.stringify(a);ul.appendChild(li);});
  $("noalarms").style.display=(s.alarms||[]).length?"none":"block";
 }
}
function draw(){
 const c=$("trend"),g=c.getContext("2d"),w=c.width,h=c.height,now=Date.now(),from=now-600000;
 points=points.filter(p=>p[0]>=from);
 g.clearRect(0,0,w,h);g.strokeStyle="#ccd";g.beginPath();
 for(let k=0;k<=4;k++){const y=h-k*h/4;g.moveTo(0,y);g.lineTo(w,y);}g.stroke();
 g.fillStyle="#4a5a6a";g.fillText("2.0 MPa",4,12);g.fillText("0",4,h-4);
 g.strokeStyle="#1f6fb2";g.lineWidth=2;g.beginPath();
 points.forEach((p,i)=>{const x=(p[0]-from)/600000*w,y=h-Math.min(p[1],2)/2*h;i?g.lineTo(x,y):g.moveTo(x,y);});g.stroke();
}
async function get(path){const r=await fetch(path,{headers:auth});if(!r.ok)throw new Error(r.status);return r.json();}
async function refresh(){try{const s=await get("/api/v1/status");show(s);}catch(e){}}
async function loadTrend(){try{const r=await get("/api/v1/readings?from="+(Date.now()-600000));
 points=r.readings.filter(x=>x.pressure_mpa!==null).map(x=>[x.t_ms,x.pressure_mpa]);draw();}catch(e){}}
async function access(){try{const a=await get("/api/v1/access");$("controls").style.display=token&&a.control&&a.authorized?"block":"none";}catch(e){}}
async function command(path,body){
 const r=await fetch("/api/v1/"+path,{method:"POST",headers:Object.assign({"Content-Type":"application/json"},auth),body:body?JSON.stringify(body):""});
 const j=await r.json().catch(()=>({}));$("answer").textContent=r.ok?T.sent:(j.error||r.status);}
$("run").onclick=()=>command("run");$("stop").onclick=()=>command("stop");
$("setflow").onclick=()=>command("flow",{ml_min:Number($("flowin").value)});
$("setlimit").onclick=()=>command("pressure-limit",{mpa:Number($("limitin").value)});
$("ack").onclick=()=>command("alarms/ack");
function connect(){
 const ws=new WebSocket((location.protocol==="https:"?"wss://":"ws://")+location.host+"/api/v1/stream"+(token?"?token="+encodeURIComponent(token):""));
 ws.onopen=()=>{$("gone").style.display="none";loadTrend();access();};
 ws.onmessage=e=>{const msg=JSON.parse(e.data);
  if(msg.type==="status")show(msg);
  else if(msg.type==="reading"){show(msg);if(msg.pressure_mpa!==null){points.push([msg.t_ms,msg.pressure_mpa]);draw();}}
  else if(msg.type==="event")refresh();};
 ws.onclose=()=>{$("gone").style.display="block";$("link").textContent="";setTimeout(connect,2000);};
}
connect();setInterval(draw,5000);
</script></body></html>
)HTML";

}  // namespace

QByteArray html()
{
    const QJsonObject texts{
        {QStringLiteral("link"),
         QJsonObject{{QStringLiteral("open"), t("通信正常")},
                     {QStringLiteral("lost"), t("通信中断")},
                     {QStringLiteral("closed"), t("未连接")}}},
        {QStringLiteral("running"), t("运行")},
        {QStringLiteral("stopped"), t("停止")},
        {QStringLiteral("timed"), t("定时")},
        {QStringLiteral("counting"), t("计时中")},
        {QStringLiteral("paused"), t("暂停")},
        {QStringLiteral("ended"), t("已结束")},
        {QStringLiteral("dose"), t("定量")},
        {QStringLiteral("program"), t("程序")},
        {QStringLiteral("sent"), t("已发送")},
    };
    QString page = QString::fromUtf8(kPage);
    const std::pair<const char*, QString> fields[] = {
        {"%TITLE%", t("泵控制面板")},
        {"%GONE%", t("面板已断开，正在重新连接…")},
        {"%PRESSURE%", t("当前压力")},
        {"%LIMIT%", t("压力上限")},
        {"%FLOW%", t("流量")},
        {"%ALARMS%", t("报警")},
        {"%NOALARMS%", t("无报警")},
        {"%TREND%", t("最近10分钟压力")},
        {"%CONTROL%", t("控制")},
        {"%RUN%", t("运行")},
        {"%STOP%", t("停止")},
        {"%SETFLOW%", t("设定流量")},
        {"%SETLIMIT%", t("设定压力上限")},
        {"%ACK%", t("确认报警")},
        {"%LANG%", t("zh-CN")},
    };
    for (const auto& [key, text] : fields)
        page.replace(QLatin1String(key), text.toHtmlEscaped());
    page.replace(QLatin1String("%TEXTS%"), QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact)));
    return page.toUtf8();
}

}  // namespace remote::page
